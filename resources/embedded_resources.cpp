// The table of data built into the program, by resource name.
#include "text/embedded_resource.h"

extern "C" const unsigned char morvexa_chs16_begin[];
extern "C" const unsigned char morvexa_chs16_end[];
extern "C" const unsigned char morvexa_unifont_begin[];
extern "C" const unsigned char morvexa_unifont_end[];

namespace morvexa {

std::span<const EmbeddedResource> EmbeddedResources() {
  static const EmbeddedResource table[] = {
      {"chs16", {morvexa_chs16_begin, morvexa_chs16_end}},
      {"unifont", {morvexa_unifont_begin, morvexa_unifont_end}},
  };
  return table;
}

}  // namespace morvexa
