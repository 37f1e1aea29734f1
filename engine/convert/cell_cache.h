#pragma once

#include <xxhash.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <vector>

namespace morvexa {

// The answers for cells seen before, by their samples: flat paper, a
// background of one color, rows of the same tones are matched once. A
// table of a thousand places, each holding the last cell whose samples
// hash there (XXH3) and its answer; a cell is found only when its samples
// are the same to the byte.
template <std::size_t Bytes, typename Answer>
class CellCache {
 public:
  using Key = std::array<unsigned char, Bytes>;

  // The answer kept for key, or nothing; Keep then keeps one for it.
  const Answer* Find(const Key& key) {
    place_ = static_cast<std::size_t>(XXH3_64bits(key.data(), Bytes) % kPlaces);
    const Place& place = places_[place_];
    return place.used && place.key == key ? &place.answer : nullptr;
  }
  void Keep(const Key& key, const Answer& answer) { places_[place_] = {true, key, answer}; }

 private:
  static constexpr std::size_t kPlaces = 1021;  // a prime
  struct Place {
    bool used = false;
    Key key{};
    Answer answer{};
  };
  std::vector<Place> places_ = std::vector<Place>(kPlaces);
  std::size_t place_ = 0;  // of the last key found or not
};

}  // namespace morvexa
