#pragma once

namespace morvexa {

// Eight floats worked on together: one AVX register, or two SSE ones. Sums
// kept in these over a loop stay in registers, where sums in an array are
// loaded and stored again at every step.
using Lanes8 = float __attribute__((vector_size(32)));
// The same read from or written to floats anywhere in memory
// (*reinterpret_cast<const UnalignedLanes8*>(floats)), which it may alias.
using UnalignedLanes8 = float __attribute__((vector_size(32), aligned(4)));

}  // namespace morvexa
