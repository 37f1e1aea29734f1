#pragma once

// Checks on the engine's failures: the exception type and its exact text.
#include <gtest/gtest.h>

#include <string>

#include "morvexa/failure.h"

// Expects statement to fail with a Failure whose message is exactly message.
#define EXPECT_FAILURE(statement, message)                                         \
  do {                                                                             \
    try {                                                                          \
      (void)(statement);                                                           \
      ADD_FAILURE() << #statement << " did not fail";                              \
    } catch (const ::morvexa::Failure& failure_) {                                 \
      EXPECT_EQ(std::string(failure_.what()), std::string(message)) << #statement; \
    }                                                                              \
  } while (false)

namespace morvexa::testing_support {

// The message of the Failure that f throws, or "no failure": for tables of
// cases where some succeed.
template <typename F>
std::string FailureOf(F&& f) {
  try {
    (void)f();
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "no failure";
}

}  // namespace morvexa::testing_support
