// SPDX-License-Identifier: GPL-3.0-or-later
// Text files as the settings files hold them: UTF-8 with or without a
// byte-order mark, or UTF-16LE with a byte-order mark, in lines ended by LF or
// CR LF. Text inside the program is UTF-8; these functions turn file bytes
// into it and back, so that an untouched file is written back byte for byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace hm::text {

enum class Encoding { Utf8, Utf8Bom, Utf16Le };

// A file's bytes as UTF-8 text.
struct DecodedText {
  Encoding encoding = Encoding::Utf8;
  std::string text;     // without the byte-order mark
  std::string oddTail;  // a trailing odd byte of a UTF-16LE file, kept as it was
};

// The encoding is told by the byte-order mark; a file without one is UTF-8.
// UTF-16LE surrogate pairs become one character; a lone surrogate is kept as
// its three-byte form, so the text survives a rewrite unchanged.
DecodedText decode(std::string_view fileBytes);
// The encoding decode() finds, and the size of the byte-order mark that tells it.
Encoding encodingOf(std::string_view fileBytes);
std::size_t byteOrderMarkSize(Encoding);
// The file bytes of UTF-8 text in an encoding. Into a UTF-16LE file, bytes
// that are not UTF-8 go as U+FFFD, and a low surrogate right after a high one
// is replaced too (the two would read back as another character); into a
// UTF-8 file the text goes byte for byte.
std::string encode(std::string_view text, Encoding, std::string_view oddTail = {});

// Strict UTF-8 check (no overlongs, surrogates or code points past U+10FFFF).
bool isValidUtf8(std::string_view text);

// Whether the UTF-8 text holds a control character: C0 (U+0000..U+001F, line
// breaks and tabs included), DEL, or C1 (U+0080..U+009F). Names and texts
// never do: a NUL cuts them, an escape reaches the terminal that lists them.
bool hasControlCharacter(std::string_view text);

// The form in which names are compared: every letter in lower case by the
// Unicode case tables (independent of the user's locale), so that "Été" and
// "éTÉ" are one name as "Copy" and "COPY" are. Bytes that are not UTF-8 stay.
std::string foldCase(std::string_view text);

// Number of UTF-16 units the UTF-8 text takes: two for a character past
// U+FFFF, one for any other character and for each byte that is not UTF-8.
std::size_t utf16Length(std::string_view text);
// The longest start of the text that takes at most maxUnits UTF-16 units,
// never ending inside a character (a character that would need the last free
// unit and one more is left out whole).
std::string_view cutToUtf16Units(std::string_view text, std::size_t maxUnits);

// One line of a text and the line break that ended it: "\n", "\r\n", or ""
// for a last line without one. Both views point into the text split.
struct LineView {
  std::string_view text;
  std::string_view ending;
};
std::vector<LineView> splitLines(std::string_view text);
// The ending that new lines take: that of the first line break, LF when the
// text has none.
std::string_view firstLineEnding(const std::vector<LineView>& lines);

}  // namespace hm::text
