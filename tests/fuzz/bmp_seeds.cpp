// Writes the test pictures, one in every accepted form, into a folder: the
// fuzzer's first inputs.
#include <filesystem>
#include <iostream>

#include "../support/bmp_builder.h"
#include "../support/files.h"

int main(int argc, char** argv) {
  using namespace morvexa::testing_support;
  if (argc != 2) {
    std::cerr << "usage: bmp_seeds FOLDER\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  std::vector<unsigned> indices;
  for (unsigned i = 0; i < 35; ++i) indices.push_back((i * 7 + i / 5) % 4);
  const BmpBuilder four(7, 5, indices, {0x000000, 0xFF0000, 0x00FF00, 0xFFFFFF});
  for (auto& i : indices) i %= 2;
  const BmpBuilder two(7, 5, indices, {0x000000, 0xFFFFFF});
  for (const BmpForm& form : AllBmpForms()) {
    WriteFile(dir / (form.Name() + ".bmp"), (form.bitCount == 1 ? two : four).Build(form));
  }
  return 0;
}
