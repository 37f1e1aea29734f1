#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace morvexa {

// A colour as 0xRRGGBB.
using Rgb = std::uint32_t;

// Allocates without zeroing: the decoder writes every pixel, and a large
// picture need not be written twice.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
  using value_type = T;
  template <typename U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <typename U>
  UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// A decoded picture: width x height colours, the top row first, each row
// from the left.
struct PixelImage {
  std::size_t width = 0;
  std::size_t height = 0;
  std::vector<Rgb, UninitializedAllocator<Rgb>> pixels;

  Rgb At(std::size_t x, std::size_t y) const { return pixels[y * width + x]; }
  const Rgb* Row(std::size_t y) const { return pixels.data() + y * width; }
};

}  // namespace morvexa
