#include "text/embedded_resource.h"

#include "morvexa/failure.h"

namespace morvexa {

std::span<const unsigned char> FindResource(std::string_view name) {
  for (const auto& resource : EmbeddedResources()) {
    if (resource.name == name) return resource.data;
  }
  throw Failure(FailureKind::ResourceNotFound, name);
}

}  // namespace morvexa
