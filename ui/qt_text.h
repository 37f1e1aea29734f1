#pragma once

#include <QString>
#include <filesystem>

#include "morvexa/byte_string.h"

// Code page 936 bytes and the windows' text, one way for every box.
namespace morvexa {

// Bytes shown as text, losslessly: each CR LF is a line break; CR and LF
// bytes that are not part of one, and bytes that do not decode, show as
// private-use characters that turn back into the same bytes.
QString BytesToQString(ByteStringView bytes);
// The same, appended to text.
void AppendAsText(ByteStringView bytes, QString& text);

// The bytes of text: a line break (or the paragraph separator of a text
// document's raw text) is a CR LF; a character that code page 936 cannot
// hold becomes "?".
ByteString QStringToBytes(const QString& text);

// Whether c may stay in the windows' text: a character that code page 936
// can hold, or a byte escape.
bool HeldInText(char32_t c);

// text with every character that may not stay replaced by "?". Returns
// whether anything was replaced.
bool ReplaceUnencodable(QString& text);

// A file name from a dialog as the system spells it.
std::filesystem::path ToPath(const QString& path);

}  // namespace morvexa
