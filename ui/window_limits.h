#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morvexa {

// How large a picture the window converts: the output area holds the whole
// art, as text, and the colors of its cells: about kWindowBytesPerPixel
// bytes a pixel while it is put in place. The command line, which streams the art, has no such limit.
inline constexpr std::uint64_t kMaxWindowPixels = std::uint64_t{1} << 26;  // 8192 x 8192
inline constexpr std::uint64_t kWindowBytesPerPixel = 11;

// Whether the art of a width x height picture fits: within
// kMaxWindowPixels, and within the memory the system has free for the
// program (and its address-space limit, if one is set).
bool FitsInTheWindow(std::size_t width, std::size_t height);

// What the window says of a picture that does not fit.
inline constexpr std::string_view kTooLarge =
    "图片太大：窗口最多能转换 8192 × 8192 像素的图片，且需要足够的空闲内存（每像素约 11 字节）。"
    "更大的图片请用 morvexa-cli 转换。";

}  // namespace morvexa
