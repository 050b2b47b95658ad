#include "core/settings/profile_file.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cwctype>

#include "core/settings/atomic_file.h"

namespace hm::profile {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kSupplementaryFirst = 0x10000;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Enclosed in a matching pair of single or double quotes.
bool enclosedInQuotes(std::string_view v) {
  return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

// A value read from a key line: trimmed, one pair of enclosing quotes removed.
std::string unquote(std::string_view v) {
  v = trim(v);
  if (enclosedInQuotes(v)) v = v.substr(1, v.size() - 2);
  return std::string(v);
}

// The text written after '=' so that unquote() gives the value back.
std::string quoteIfNeeded(std::string_view v) {
  if (v.empty()) return {};
  bool needs = isBlank(v.front()) || isBlank(v.back()) || enclosedInQuotes(v);
  if (!needs) return std::string(v);
  std::string out;
  out.reserve(v.size() + 2);
  out += '"';
  out += v;
  out += '"';
  return out;
}

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

// The form in which names are compared: every letter in lower case, so that
// "Été" and "éTÉ" are one name as "Copy" and "COPY" are. Bytes that are not
// UTF-8 stay as they are.
std::string lower(std::string_view s) {
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

std::string utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const std::size_t units = bytes.size() / 2;
  auto unit = [&](std::size_t k) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                 (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
  };
  for (std::size_t k = 0; k < units; ++k) {
    char32_t u = unit(k);
    if (u >= kSurrogateFirst && u < kLowSurrogateFirst && k + 1 < units) {
      char32_t next = unit(k + 1);
      if (next >= kLowSurrogateFirst && next <= kSurrogateLast) {
        appendUtf8(out, kSupplementaryFirst + ((u - kSurrogateFirst) << 10) + (next - kLowSurrogateFirst));
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
  out += static_cast<char>(u & 0xFF);
  out += static_cast<char>((u >> 8) & 0xFF);
}

std::string utf8ToUtf16Le(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
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
      appendUnit(out, kSurrogateFirst + (v >> 10));
      appendUnit(out, kLowSurrogateFirst + (v & 0x3FF));
    } else {
      appendUnit(out, cp);
    }
  }
  return out;
}

// Reads the whole file. Returns false with err = errno on failure (ENOENT for
// a missing file).
bool readAll(const std::string& path, std::string& out, int& err) {
  // O_NONBLOCK so that a FIFO in the file's place does not wait for a writer;
  // only a regular file is read.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    err = errno;
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    return false;
  }
  out.clear();
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

bool validSectionName(std::string_view s) { return !hasLineBreak(s) && !trim(s).empty(); }

bool validKeyName(std::string_view k) {
  if (hasLineBreak(k) || k.find('=') != std::string_view::npos) return false;
  k = trim(k);
  return !k.empty() && k.front() != '[' && k.front() != ';' && k.front() != '#';
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) { return lower(a) == lower(b); }

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    std::size_t len = decodeUtf8(text, i, cp, false);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

// ---- ProfileDocument ------------------------------------------------------

ProfileDocument ProfileDocument::load(const std::string& path) {
  std::string bytes;
  int err = 0;
  if (!readAll(path, bytes, err)) {
    ProfileDocument doc;
    // existed() stays false; loadError() tells an unreadable file from a
    // missing one, so no writer mistakes it for a fresh file.
    doc.loadError_ = err == ENOENT || err == ENOTDIR ? 0 : err;
    return doc;
  }
  ProfileDocument doc = parse(bytes);
  doc.existed_ = true;
  return doc;
}

ProfileDocument ProfileDocument::parse(std::string_view bytes) {
  ProfileDocument doc;
  doc.existed_ = true;
  std::string text;
  if (bytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
    doc.encoding_ = Encoding::Utf16Le;
    std::string_view body = bytes.substr(kUtf16LeBom.size());
    if (body.size() % 2 != 0) {
      doc.oddTail_ = std::string(body.substr(body.size() - 1));
      body.remove_suffix(1);
    }
    text = utf16LeToUtf8(body);
  } else if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    doc.encoding_ = Encoding::Utf8Bom;
    text = std::string(bytes.substr(kUtf8Bom.size()));
  } else {
    doc.encoding_ = Encoding::Utf8;
    text = std::string(bytes);
  }

  bool endingChosen = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    Line line;
    if (nl == std::string::npos) {
      line.text = text.substr(pos);
      pos = text.size();
    } else {
      std::size_t end = nl;
      if (end > pos && text[end - 1] == '\r') {
        --end;
        line.ending = "\r\n";
      } else {
        line.ending = "\n";
      }
      line.text = text.substr(pos, end - pos);
      pos = nl + 1;
      if (!endingChosen) {
        doc.defaultEnding_ = line.ending;
        endingChosen = true;
      }
    }

    std::string_view t = trim(line.text);
    if (!t.empty() && t.front() == '[') {
      std::size_t close = t.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        line.kind = Kind::Section;
        line.name = std::string(trim(t.substr(1, close - 1)));
      }
    }
    if (line.kind == Kind::Other && !t.empty() && t.front() != ';' && t.front() != '#') {
      std::size_t eq = t.find('=');
      if (eq != std::string_view::npos) {
        line.kind = Kind::Key;
        line.name = std::string(trim(t.substr(0, eq)));
        line.value = unquote(t.substr(eq + 1));
      }
    }
    doc.lines_.push_back(std::move(line));
  }
  return doc;
}

void ProfileDocument::buildIndex() const {
  if (indexValid_) return;
  index_.clear();
  order_.clear();
  SectionIndex* current = nullptr;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& l = lines_[i];
    if (l.kind == Kind::Section) {
      auto [it, inserted] = index_.try_emplace(lower(l.name));
      if (inserted) {
        it->second.header = i;
        order_.push_back(l.name);
        current = &it->second;
      } else {
        current = nullptr;  // a later section of the same name is never read
      }
    } else if (l.kind == Kind::Key && current != nullptr) {
      current->keys.try_emplace(lower(l.name), i);
    }
  }
  indexValid_ = true;
}

const ProfileDocument::SectionIndex* ProfileDocument::findSection(std::string_view section) const {
  buildIndex();
  auto it = index_.find(lower(trim(section)));
  return it == index_.end() ? nullptr : &it->second;
}

std::size_t ProfileDocument::sectionEnd(std::size_t header) const {
  for (std::size_t i = header + 1; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::Section) return i;
  return lines_.size();
}

const std::string& ProfileDocument::newLineEnding() const { return defaultEnding_; }

std::optional<std::string> ProfileDocument::find(std::string_view section, std::string_view key) const {
  const SectionIndex* s = findSection(section);
  if (s == nullptr) return std::nullopt;
  auto it = s->keys.find(lower(trim(key)));
  if (it == s->keys.end()) return std::nullopt;
  return lines_[it->second].value;
}

std::string ProfileDocument::get(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
  std::optional<std::string> v = find(section, key);
  return v ? std::move(*v) : std::string(defaultValue);
}

bool ProfileDocument::hasSection(std::string_view section) const { return findSection(section) != nullptr; }

std::vector<std::string> ProfileDocument::sectionNames() const {
  buildIndex();
  return order_;
}

bool ProfileDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  if (!validSectionName(section) || !validKeyName(key)) return false;
  const std::string_view s = trim(section);
  const std::string_view k = trim(key);
  const std::size_t cut = value.find_first_of("\r\n");
  if (cut != std::string_view::npos) value = value.substr(0, cut);

  Line keyLine;
  keyLine.kind = Kind::Key;
  keyLine.value = std::string(value);

  const SectionIndex* found = findSection(s);
  if (found != nullptr) {
    auto it = found->keys.find(lower(k));
    if (it != found->keys.end()) {
      // In place: the key keeps its spelling and its line ending.
      Line& l = lines_[it->second];
      l.text = l.name + "=" + quoteIfNeeded(value);
      l.value = keyLine.value;
      return true;  // line positions unchanged, the index stays valid
    }
    const std::size_t header = found->header;
    std::size_t insertAt = header + 1;
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
      if (!trim(lines_[i].text).empty()) insertAt = i + 1;
    keyLine.name = std::string(k);
    keyLine.text = keyLine.name + "=" + quoteIfNeeded(value);
    keyLine.ending = newLineEnding();
    const bool atEnd = insertAt == lines_.size();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(keyLine));
    if (atEnd) {
      // Nothing moved: the index only gains the key. This keeps writing a
      // whole section at the end of the file (a macro, a fresh str.ini) linear.
      index_[lower(s)].keys.try_emplace(lower(k), insertAt);
    } else {
      indexValid_ = false;
    }
    return true;
  }

  Line header;
  header.kind = Kind::Section;
  header.name = std::string(s);
  header.text = "[" + header.name + "]";
  header.ending = newLineEnding();
  keyLine.name = std::string(k);
  keyLine.text = keyLine.name + "=" + quoteIfNeeded(value);
  keyLine.ending = newLineEnding();
  lines_.push_back(std::move(header));
  lines_.push_back(std::move(keyLine));
  if (indexValid_) {
    SectionIndex& added = index_[lower(s)];
    added.header = lines_.size() - 2;
    added.keys.try_emplace(lower(k), lines_.size() - 1);
    order_.emplace_back(s);
  }
  return true;
}

bool ProfileDocument::removeKey(std::string_view section, std::string_view key) {
  const SectionIndex* found = findSection(section);
  if (found == nullptr) return false;
  const std::size_t header = found->header;
  const std::size_t end = sectionEnd(header);
  const std::string_view k = trim(key);
  bool removed = false;
  for (std::size_t i = end; i-- > header + 1;) {
    if (lines_[i].kind == Kind::Key && sameName(lines_[i].name, k)) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      removed = true;
    }
  }
  if (removed) indexValid_ = false;
  return removed;
}

bool ProfileDocument::removeSection(std::string_view section) {
  const std::string_view s = trim(section);
  std::vector<Line> kept;
  kept.reserve(lines_.size());
  bool skipping = false, removed = false;
  for (Line& l : lines_) {
    if (l.kind == Kind::Section) skipping = sameName(l.name, s);
    if (skipping) {
      removed = true;
      continue;
    }
    kept.push_back(std::move(l));
  }
  lines_ = std::move(kept);
  indexValid_ = false;
  return removed;
}

std::string ProfileDocument::serialize() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    text += lines_[i].text;
    if (!lines_[i].ending.empty())
      text += lines_[i].ending;
    else if (i + 1 < lines_.size())
      text += defaultEnding_;  // a former last line that now has lines after it
  }
  switch (encoding_) {
    case Encoding::Utf8: return text;
    case Encoding::Utf8Bom: return std::string(kUtf8Bom) + text;
    case Encoding::Utf16Le: return std::string(kUtf16LeBom) + utf8ToUtf16Le(text) + oddTail_;
  }
  return text;
}

bool ProfileDocument::save(const std::string& path, int* errnoOut) const {
  AtomicWriteResult r = writeFileAtomically(path, serialize());
  if (errnoOut != nullptr) *errnoOut = r.error;
  return r.ok;
}

// ---- Free functions -------------------------------------------------------

std::string getString(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& defaultValue) {
  return ProfileDocument::load(path).get(section, key, defaultValue);
}

bool writeString(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& value) {
  ProfileDocument doc = ProfileDocument::load(path);
  if (doc.loadError() != 0) return false;
  if (!doc.set(section, key, value)) return false;
  return doc.save(path);
}

bool deleteKey(const std::string& path, const std::string& section, const std::string& key) {
  ProfileDocument doc = ProfileDocument::load(path);
  if (doc.loadError() != 0) return false;
  if (!doc.removeKey(section, key)) return true;
  return doc.save(path);
}

bool deleteSection(const std::string& path, const std::string& section) {
  ProfileDocument doc = ProfileDocument::load(path);
  if (doc.loadError() != 0) return false;
  if (!doc.removeSection(section)) return true;
  return doc.save(path);
}

std::vector<std::string> sectionNames(const std::string& path) {
  return ProfileDocument::load(path).sectionNames();
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace hm::profile
