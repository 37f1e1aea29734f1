#include "glyph_font.h"

#include "embedded_resource.h"
#include "failure.h"

namespace morvexa {

GlyphFont GlyphFont::Open(std::string_view resourceName) { return GlyphFont(FindResource(resourceName)); }

void GlyphFont::FailPastTheEnd() { throw Failure(FailureKind::StreamReadError); }

}  // namespace morvexa
