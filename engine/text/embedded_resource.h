#pragma once

#include <span>
#include <string_view>

namespace morvexa {

// A block of read-only data built into the program.
struct EmbeddedResource {
  std::string_view name;
  std::span<const unsigned char> data;
};

// Every block built into the program; defined by the resources library.
std::span<const EmbeddedResource> EmbeddedResources();

// The data of the block named name; throws Failure "Resource %s not found".
std::span<const unsigned char> FindResource(std::string_view name);

}  // namespace morvexa
