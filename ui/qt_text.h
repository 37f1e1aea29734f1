#pragma once

#include <QString>

#include "byte_string.h"

namespace morvexa {

// Code page 936 bytes shown as text, losslessly: bytes that do not decode
// appear as private-use characters that turn back into the same bytes.
QString BytesToQString(ByteStringView bytes);

// The bytes of text; characters that code page 936 cannot hold become "?".
ByteString QStringToBytes(const QString& text);

// Whether c may stay in the window's text: a character that code page 936
// can hold, or a byte escape.
bool HeldInText(char32_t c);

// text with every character that may not stay replaced by "?". Returns
// whether anything was replaced.
bool ReplaceUnencodable(QString& text);

}  // namespace morvexa
