#pragma once

// Whether the tests run under the address sanitizer, which takes memory of
// its own beyond any bound a test sets on a program's.
namespace morvexa::testing_support {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
inline constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace morvexa::testing_support
