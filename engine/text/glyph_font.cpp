#include "text/glyph_font.h"

#include "morvexa/failure.h"
#include "text/embedded_resource.h"

namespace morvexa {

GlyphFont GlyphFont::Open(std::string_view resourceName) { return GlyphFont(FindResource(resourceName)); }

void GlyphFont::FailPastTheEnd() { throw Failure(FailureKind::StreamReadError); }

}  // namespace morvexa
