// The floor of a picture conversion from the command line: reads FILE in
// the same bands and writes BYTES bytes through the same temporary file
// and rename, with no conversion at all. Usage: write_floor FILE BYTES OUT.
#include <iostream>
#include <string>
#include <vector>

#include "files/file_bytes.h"
#include "morvexa/replacing_file.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: write_floor FILE BYTES OUT\n";
    return 2;
  }
  const morvexa::FileBytes in = morvexa::FileBytes::Open(argv[1]);
  std::vector<unsigned char> band(256 * 1024);
  unsigned long sum = 0;
  for (std::uint64_t at = 0; at < in.Size(); at += band.size()) sum += in.ReadSome(at, band) + band[0];
  morvexa::ReplacingFile out(argv[3]);
  const std::string chunk(1 << 20, '!');
  for (std::uint64_t left = std::stoull(argv[2]); left > 0;) {
    const std::size_t n = std::min<std::uint64_t>(left, chunk.size());
    out.Write(std::string_view(chunk.data(), n));
    left -= n;
  }
  out.Commit();
  return sum == 1 ? 1 : 0;
}
