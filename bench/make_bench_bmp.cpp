// Writes a benchmark picture: make_bench_bmp photo|four FILE.
#include <fstream>
#include <iostream>

#include "bench_pictures.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_bench_bmp photo|four FILE\n";
    return 2;
  }
  const auto bytes = morvexa::bench::BenchBmp(argv[1]);
  std::ofstream(argv[2], std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return 0;
}
