#pragma once

// The test data folder, tests/data.
#include <filesystem>

namespace morvexa::testing_support {

inline std::filesystem::path DataPath(const std::filesystem::path& relative) {
  return std::filesystem::path(MORVEXA_TEST_DATA) / relative;
}

}  // namespace morvexa::testing_support
