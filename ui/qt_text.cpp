#include "qt_text.h"

#include <QFile>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "morvexa/art_area.h"
#include "morvexa/cp936.h"

namespace morvexa {

namespace {

char16_t* PutUtf16(char32_t c, char16_t* out) {
  if (c < 0x10000) {
    *out++ = static_cast<char16_t>(c);
  } else {
    *out++ = QChar::highSurrogate(c);
    *out++ = QChar::lowSurrogate(c);
  }
  return out;
}

}  // namespace

QString BytesToQString(ByteStringView bytes) {
  QString text;
  AppendAsText(bytes, text);
  return text;
}

// One pass over the bytes, written in place at the end of text: a byte
// becomes at most two UTF-16 units (an escape outside the basic plane).
// Runs of printable ASCII, all that picture art holds, are widened sixteen
// bytes at a time.
void AppendAsText(ByteStringView bytes, QString& text) {
  const qsizetype start = text.size();
  text.resize(start + static_cast<qsizetype>(2 * bytes.size()));
  char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
  char16_t* out = begin + start;
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
#if defined(__SSE2__)
    if (i + 16 <= n) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
      // Signed compares: bytes of 0x80 and above are negative.
      const __m128i printable = _mm_cmpgt_epi8(chunk, _mm_set1_epi8(0x1F));
      if (_mm_movemask_epi8(printable) == 0xFFFF &&
          _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(0x7F))) == 0) {
        const __m128i zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(chunk, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(chunk, zero));
        out += 16;
        i += 16;
        continue;
      }
    }
#endif
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
      *out++ = u'\n';
      i += 2;
    } else if (b == '\r' || b == '\n') {
      out = PutUtf16(cp936::kByteEscapeBase + b, out);
      ++i;
    } else if (b < 0x80) {
      *out++ = b;
      ++i;
    } else {
      char32_t c;
      i += cp936::DecodeCodePageAt(bytes, i, c);
      out = PutUtf16(c, out);
    }
  }
  text.resize(out - begin);
}

ByteString QStringToBytes(const QString& text) {
  ByteString bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()) + 64);
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t u = text[i].unicode();
    if (u == '\n' || u == QChar::ParagraphSeparator) {
      bytes += kLineBreak;
    } else if (u < 0x80) {
      bytes += static_cast<char>(u);
    } else if (QChar::isHighSurrogate(u) && i + 1 < n && text[i + 1].isLowSurrogate()) {
      cp936::AppendEncoded(QChar::surrogateToUcs4(u, text[i + 1].unicode()), bytes);
      ++i;
    } else {
      cp936::AppendEncoded(u, bytes);
    }
  }
  return bytes;
}

bool HeldInText(char32_t c) { return cp936::CanEncode(c) || cp936::IsByteEscape(c); }

bool ReplaceUnencodable(QString& text) {
  bool replaced = false;
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = text[i].unicode();
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(text[i], text[i + 1]);
      ++i;
    }
    if (HeldInText(c)) {
      out += QString::fromUcs4(&c, 1);
    } else {
      out += QLatin1Char('?');
      replaced = true;
    }
  }
  if (replaced) text = out;
  return replaced;
}

std::filesystem::path ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace morvexa
