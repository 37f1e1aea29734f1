#pragma once

#include <array>
#include <utility>

#include "output/form_writer.h"

namespace morvexa {

// The writer of each form, made in that form's own file. A new form is
// its file, its maker's name here and its line in the table.
FormWriterMaker MakeGbkWriter, MakeUtf8Writer, MakeHtmlWriter, MakeAnsiWriter;

inline constexpr std::array<std::pair<ArtForm, FormWriterMaker*>, 4> kFormWriters{{
    {ArtForm::Gbk, MakeGbkWriter},
    {ArtForm::Utf8, MakeUtf8Writer},
    {ArtForm::Html, MakeHtmlWriter},
    {ArtForm::Ansi, MakeAnsiWriter},
}};

}  // namespace morvexa
