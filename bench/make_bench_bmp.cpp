// Writes a benchmark picture: make_bench_bmp KIND [SIDE] FILE.
#include <fstream>
#include <iostream>
#include <string>

#include "bench_pictures.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::cerr << "usage: make_bench_bmp photo|four|paletted|rle8 [SIDE] FILE\n";
    return 2;
  }
  const unsigned side = argc == 4 ? static_cast<unsigned>(std::stoul(argv[2])) : morvexa::bench::kBenchSide;
  const auto bytes = morvexa::bench::BenchBmp(argv[1], side);
  std::ofstream(argv[argc - 1], std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return 0;
}
