// The table of data built into the program, by resource name.
#include "text/embedded_resource.h"

extern "C" const unsigned char morvexa_chs16_begin[];
extern "C" const unsigned char morvexa_chs16_end[];

namespace morvexa {

std::span<const EmbeddedResource> EmbeddedResources() {
  static const EmbeddedResource table[] = {
      {"chs16", {morvexa_chs16_begin, morvexa_chs16_end}},
  };
  return table;
}

}  // namespace morvexa
