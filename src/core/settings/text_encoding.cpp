// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/text_encoding.h"

#include <locale.h>

#include <cstdint>
#include <cwctype>
#include <utility>

#include "core/wire/byte_order.h"

namespace hm::text {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::size_t kUtf16UnitBytes = 2;
constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kSupplementaryFirst = 0x10000;
constexpr int kSurrogateBits = 10;
constexpr char32_t kSurrogateMask = 0x3FF;

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < kSupplementaryFirst) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]. Returns its length, or 0 when the bytes
// there are not a well-formed sequence. allowSurrogates accepts the three-byte
// forms of U+D800..U+DFFF, which stand for lone surrogates read from a UTF-16
// file.
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& cp, bool allowSurrogates) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, cp = b0 & 0x07, min = kSupplementaryFirst;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > kMaxCodePoint) return 0;
  if (cp >= kSurrogateFirst && cp <= kSurrogateLast && !allowSurrogates) return 0;
  return len;
}

// Lower case of one code point by the Unicode case tables (the C.UTF-8
// locale's, independent of the user's locale); ASCII only if that locale is
// missing.
char32_t lowerCodePoint(char32_t cp) {
  static const locale_t unicode = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (cp >= 'A' && cp <= 'Z') return cp - 'A' + 'a';
  if (cp < 0x80 || unicode == static_cast<locale_t>(0)) return cp;
  return static_cast<char32_t>(::towlower_l(static_cast<wint_t>(cp), unicode));
}

std::string utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const std::size_t units = bytes.size() / kUtf16UnitBytes;
  auto unit = [&](std::size_t k) -> char32_t {
    return loadLittleEndian16(bytes.data() + kUtf16UnitBytes * k);
  };
  for (std::size_t k = 0; k < units; ++k) {
    char32_t u = unit(k);
    if (u >= kSurrogateFirst && u < kLowSurrogateFirst && k + 1 < units) {
      char32_t next = unit(k + 1);
      if (next >= kLowSurrogateFirst && next <= kSurrogateLast) {
        appendUtf8(out, kSupplementaryFirst + ((u - kSurrogateFirst) << kSurrogateBits) +
                            (next - kLowSurrogateFirst));
        ++k;
        continue;
      }
    }
    // A lone surrogate is kept as its three-byte form so the line survives a
    // rewrite unchanged.
    appendUtf8(out, u);
  }
  return out;
}

void appendUnit(std::string& out, char32_t u) {
  char bytes[kUtf16UnitBytes];
  storeLittleEndian16(bytes, static_cast<std::uint16_t>(u));
  out.append(bytes, kUtf16UnitBytes);
}

std::string utf8ToUtf16Le(std::string_view s) {
  std::string out;
  out.reserve(s.size() * kUtf16UnitBytes);
  bool lastWasHighSurrogate = false;
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    std::size_t len = decodeUtf8(s, i, cp, true);
    if (len == 0) {
      appendUnit(out, kReplacement);
      lastWasHighSurrogate = false;
      ++i;
      continue;
    }
    i += len;
    const bool isSurrogate = cp >= kSurrogateFirst && cp <= kSurrogateLast;
    // A high and a low surrogate written one after the other would read back
    // as one supplementary character; the low one is replaced instead.
    if (isSurrogate && cp >= kLowSurrogateFirst && lastWasHighSurrogate) cp = kReplacement;
    lastWasHighSurrogate = isSurrogate && cp < kLowSurrogateFirst;
    if (cp >= kSupplementaryFirst) {
      char32_t v = cp - kSupplementaryFirst;
      appendUnit(out, kSurrogateFirst + (v >> kSurrogateBits));
      appendUnit(out, kLowSurrogateFirst + (v & kSurrogateMask));
    } else {
      appendUnit(out, cp);
    }
  }
  return out;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace

Encoding encodingOf(std::string_view bytes) {
  if (startsWith(bytes, kUtf16LeBom)) return Encoding::Utf16Le;
  if (startsWith(bytes, kUtf8Bom)) return Encoding::Utf8Bom;
  return Encoding::Utf8;
}

std::size_t byteOrderMarkSize(Encoding encoding) {
  switch (encoding) {
    case Encoding::Utf8: return 0;
    case Encoding::Utf8Bom: return kUtf8Bom.size();
    case Encoding::Utf16Le: return kUtf16LeBom.size();
  }
  return 0;
}

DecodedText decode(std::string_view bytes) {
  DecodedText out;
  if (startsWith(bytes, kUtf16LeBom)) {
    out.encoding = Encoding::Utf16Le;
    std::string_view body = bytes.substr(kUtf16LeBom.size());
    if (body.size() % kUtf16UnitBytes != 0) {
      out.oddTail = std::string(body.substr(body.size() - 1));
      body.remove_suffix(1);
    }
    out.text = utf16LeToUtf8(body);
  } else if (startsWith(bytes, kUtf8Bom)) {
    out.encoding = Encoding::Utf8Bom;
    out.text = std::string(bytes.substr(kUtf8Bom.size()));
  } else {
    out.encoding = Encoding::Utf8;
    out.text = std::string(bytes);
  }
  return out;
}

std::string encode(std::string_view text, Encoding encoding, std::string_view oddTail) {
  switch (encoding) {
    case Encoding::Utf8: return std::string(text);
    case Encoding::Utf8Bom: return std::string(kUtf8Bom) + std::string(text);
    case Encoding::Utf16Le: return std::string(kUtf16LeBom) + utf8ToUtf16Le(text) + std::string(oddTail);
  }
  return std::string(text);
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    std::size_t len = decodeUtf8(text, i, cp, false);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string foldCase(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  // Plain ASCII, the usual case, byte by byte.
  for (; i < s.size() && static_cast<unsigned char>(s[i]) < 0x80; ++i)
    out += s[i] >= 'A' && s[i] <= 'Z' ? static_cast<char>(s[i] - 'A' + 'a') : s[i];
  while (i < s.size()) {
    char32_t cp = 0;
    const std::size_t len = decodeUtf8(s, i, cp, true);
    if (len == 0) {
      out += s[i++];
      continue;
    }
    appendUtf8(out, lowerCodePoint(cp));
    i += len;
  }
  return out;
}

namespace {

// Length in bytes and in UTF-16 units of the character at s[i]; a byte that
// is not UTF-8 is one character of one unit (it is written as U+FFFD).
std::pair<std::size_t, std::size_t> characterAt(std::string_view s, std::size_t i) {
  char32_t cp = 0;
  const std::size_t len = decodeUtf8(s, i, cp, true);
  if (len == 0) return {1, 1};
  return {len, cp >= kSupplementaryFirst ? 2 : 1};
}

}  // namespace

std::size_t utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto [bytes, n] = characterAt(text, i);
    i += bytes;
    units += n;
  }
  return units;
}

std::string_view cutToUtf16Units(std::string_view text, std::size_t maxUnits) {
  // No character takes more UTF-16 units than bytes, so a text of at most
  // maxUnits bytes always fits.
  if (text.size() <= maxUnits) return text;
  std::size_t units = 0, i = 0;
  while (i < text.size()) {
    const auto [bytes, n] = characterAt(text, i);
    if (units + n > maxUnits) break;
    units += n;
    i += bytes;
  }
  return text.substr(0, i);
}

std::vector<LineView> splitLines(std::string_view text) {
  std::vector<LineView> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) {
      lines.push_back({text.substr(pos), {}});
      break;
    }
    const std::size_t end = nl > pos && text[nl - 1] == '\r' ? nl - 1 : nl;
    lines.push_back({text.substr(pos, end - pos), text.substr(end, nl + 1 - end)});
    pos = nl + 1;
  }
  return lines;
}

std::string_view firstLineEnding(const std::vector<LineView>& lines) {
  for (const LineView& l : lines)
    if (!l.ending.empty()) return l.ending;
  return "\n";
}

bool hasControlCharacter(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) return true;
    // U+0080..U+009F: 0xC2 followed by 0x80..0x9F.
    if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
        static_cast<unsigned char>(text[i + 1]) >= 0x80)
      return true;
  }
  return false;
}

}  // namespace hm::text
