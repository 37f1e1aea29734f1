#pragma once

#include <cstring>

namespace morvexa {

// Eight floats worked on together: one AVX register, or two SSE ones. Sums
// kept in these over a loop stay in registers, where sums in an array are
// loaded and stored again at every step.
using Lanes8 = float __attribute__((vector_size(32)));

// Eight floats from anywhere in memory into lanes, and back: copied, as
// neither compiler reliably takes a lower alignment for a vector type.
inline void LoadLanes(Lanes8& lanes, const float* from) { std::memcpy(&lanes, from, sizeof lanes); }
inline void StoreLanes(float* to, const Lanes8& lanes) { std::memcpy(to, &lanes, sizeof lanes); }

}  // namespace morvexa
