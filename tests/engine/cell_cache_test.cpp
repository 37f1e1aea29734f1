// Cells seen before: a cell is answered from the cache only when its
// samples are the same to the byte, never because another cell's samples
// hashed to the same place.
#include "convert/cell_cache.h"

#include <gtest/gtest.h>

namespace morvexa {
namespace {

using Cache = CellCache<4, int>;

TEST(CellCache, AnswersOnlyTheSameSamples) {
  Cache cache;
  const Cache::Key dark{0, 0, 0, 0}, light{255, 255, 255, 255}, lighter{255, 255, 255, 254};
  EXPECT_EQ(cache.Find(dark), nullptr);
  cache.Keep(dark, 1);
  EXPECT_EQ(cache.Find(light), nullptr);
  cache.Keep(light, 2);
  ASSERT_NE(cache.Find(dark), nullptr);
  EXPECT_EQ(*cache.Find(dark), 1);
  EXPECT_EQ(*cache.Find(light), 2);
  EXPECT_EQ(cache.Find(lighter), nullptr);

  // More cells than places: some share a place, and the later one takes
  // it; whatever is found is the cell's own answer.
  for (int k = 0; k < 5000; ++k) {
    const Cache::Key key{static_cast<unsigned char>(k), static_cast<unsigned char>(k >> 8), 7, 7};
    if (!cache.Find(key)) cache.Keep(key, k);
  }
  int found = 0;
  for (int k = 0; k < 5000; ++k) {
    const Cache::Key key{static_cast<unsigned char>(k), static_cast<unsigned char>(k >> 8), 7, 7};
    if (const int* answer = cache.Find(key)) {
      EXPECT_EQ(*answer, k);
      ++found;
    }
  }
  EXPECT_GT(found, 0);
  EXPECT_LT(found, 5000);
}

}  // namespace
}  // namespace morvexa
