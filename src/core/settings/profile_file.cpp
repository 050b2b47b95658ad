// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/profile_file.h"

#include <cerrno>

#include "core/settings/regular_file.h"

namespace hm::profile {
namespace {

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

bool validSectionName(std::string_view s) { return !hasLineBreak(s) && !trim(s).empty(); }

bool validKeyName(std::string_view k) {
  if (hasLineBreak(k) || k.find('=') != std::string_view::npos) return false;
  k = trim(k);
  return !k.empty() && k.front() != '[' && k.front() != ';' && k.front() != '#';
}

using text::foldCase;

}  // namespace

bool sameName(std::string_view a, std::string_view b) { return foldCase(a) == foldCase(b); }

// ---- ProfileDocument ------------------------------------------------------

Result<ProfileDocument> ProfileDocument::load(const std::string& path) {
  Result<std::string> bytes = readRegularFile(path);
  if (!bytes) {
    const int code = bytes.error().code;
    // Nothing there (or no folder for it): a fresh, empty document.
    if (code == ENOENT || code == ENOTDIR) return ProfileDocument();
    return bytes.error();
  }
  return parse(bytes.value());
}

ProfileDocument ProfileDocument::read(const std::string& path) {
  Result<ProfileDocument> doc = load(path);
  return doc ? std::move(doc.value()) : ProfileDocument();
}

// A section line is "[name]"; a key line "key=value" outside comments.
void ProfileDocument::classify(Line& line) {
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
}

ProfileDocument ProfileDocument::parse(std::string_view bytes) {
  ProfileDocument doc;
  doc.existed_ = true;
  const text::DecodedText decoded = text::decode(bytes);
  doc.encoding_ = decoded.encoding;
  doc.oddTail_ = decoded.oddTail;
  const std::vector<text::LineView> lines = text::splitLines(decoded.text);
  doc.defaultEnding_ = text::firstLineEnding(lines);
  doc.lines_.reserve(lines.size());
  for (const text::LineView& view : lines) {
    Line line;
    line.text = std::string(view.text);
    line.ending = std::string(view.ending);
    classify(line);
    doc.lines_.push_back(std::move(line));
  }
  return doc;
}

ProfileDocument ProfileDocument::parseHead(std::string_view bytes) {
  ProfileDocument doc;
  doc.existed_ = true;
  doc.encoding_ = text::encodingOf(bytes);
  // Only a UTF-16 file is decoded whole; UTF-8 text is read where it lies.
  text::DecodedText decoded;
  std::string_view text = bytes.substr(text::byteOrderMarkSize(doc.encoding_));
  if (doc.encoding_ == text::Encoding::Utf16Le) {
    decoded = text::decode(bytes);
    doc.oddTail_ = decoded.oddTail;
    text = decoded.text;
  }
  // As splitLines and firstLineEnding over the whole text, up to the first
  // section line.
  const std::size_t firstBreak = text.find('\n');
  doc.defaultEnding_ =
      firstBreak != std::string_view::npos && firstBreak > 0 && text[firstBreak - 1] == '\r' ? "\r\n" : "\n";
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t nl = text.find('\n', pos);
    const std::size_t end = nl == std::string_view::npos       ? text.size()
                            : nl > pos && text[nl - 1] == '\r' ? nl - 1
                                                               : nl;
    Line line;
    line.text = std::string(text.substr(pos, end - pos));
    classify(line);
    if (line.kind == Kind::Section) break;
    line.ending = nl == std::string_view::npos ? std::string() : std::string(text.substr(end, nl + 1 - end));
    doc.lines_.push_back(std::move(line));
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
  }
  return doc;
}

Result<ProfileDocument> ProfileDocument::loadHead(const std::string& path) {
  Result<std::string> bytes = readRegularFile(path);
  if (!bytes) {
    const int code = bytes.error().code;
    if (code == ENOENT || code == ENOTDIR) return ProfileDocument();
    return bytes.error();
  }
  return parseHead(bytes.value());
}

std::string ProfileDocument::fold(std::string_view name) const {
  foldedBytes_ += name.size();
  return foldCase(name);
}

void ProfileDocument::buildIndex() const {
  if (indexValid_) return;
  index_.clear();
  order_.clear();
  SectionIndex* current = nullptr;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& l = lines_[i];
    if (l.kind == Kind::Section) {
      auto [it, inserted] = index_.try_emplace(fold(l.name));
      if (inserted) {
        it->second.header = i;
        order_.push_back(l.name);
        current = &it->second;
      } else {
        current = nullptr;  // a later section of the same name is never read
      }
    } else if (l.kind == Kind::Key && current != nullptr) {
      current->keys.try_emplace(fold(l.name), i);
    }
  }
  indexValid_ = true;
}

void ProfileDocument::shiftIndexFrom(std::size_t line, std::size_t by) {
  for (auto& [name, section] : index_) {
    if (section.header >= line) section.header += by;
    for (auto& [key, at] : section.keys)
      if (at >= line) at += by;
  }
}

const ProfileDocument::SectionIndex* ProfileDocument::findSection(std::string_view section) const {
  buildIndex();
  auto it = index_.find(fold(trim(section)));
  return it == index_.end() ? nullptr : &it->second;
}

std::size_t ProfileDocument::sectionEnd(std::size_t header) const {
  for (std::size_t i = header + 1; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::Section) return i;
  return lines_.size();
}

const std::string& ProfileDocument::newLineEnding() const { return defaultEnding_; }

std::string ProfileDocument::valueAt(std::size_t line) const {
  return std::string(text::cutToUtf16Units(lines_[line].value, kValueReadUnits));
}

ProfileDocument::Section ProfileDocument::section(std::string_view name) const {
  return Section(this, findSection(name));
}

std::optional<std::string> ProfileDocument::Section::find(std::string_view key) const {
  if (found_ == nullptr) return std::nullopt;
  auto it = found_->keys.find(doc_->fold(trim(key)));
  if (it == found_->keys.end()) return std::nullopt;
  return doc_->valueAt(it->second);
}

std::string ProfileDocument::Section::get(std::string_view key, std::string_view defaultValue) const {
  std::optional<std::string> v = find(key);
  return v ? std::move(*v) : std::string(defaultValue);
}

std::vector<std::pair<std::string_view, std::string>> ProfileDocument::Section::entries() const {
  std::vector<std::pair<std::string_view, std::string>> out;
  if (found_ == nullptr) return out;
  out.reserve(found_->keys.size());
  for (const auto& [name, line] : found_->keys) out.emplace_back(name, doc_->valueAt(line));
  return out;
}

std::optional<std::string> ProfileDocument::find(std::string_view section, std::string_view key) const {
  return this->section(section).find(key);
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

ProfileDocument::Line ProfileDocument::keyLine(std::string_view key, std::string_view value) const {
  // A value is stored up to its first line break.
  const std::size_t cut = value.find_first_of("\r\n");
  if (cut != std::string_view::npos) value = value.substr(0, cut);
  Line l;
  l.kind = Kind::Key;
  l.name = std::string(trim(key));
  l.value = std::string(value);
  l.text = l.name + "=" + quoteIfNeeded(value);
  l.ending = newLineEnding();
  return l;
}

Status ProfileDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  if (!validSectionName(section) || !validKeyName(key))
    return Error{"set([" + std::string(section) + "] " + std::string(key) + ")", EINVAL};
  const std::string_view s = trim(section);
  const std::string_view k = trim(key);
  Line added = keyLine(k, value);

  const SectionIndex* found = findSection(s);
  if (found != nullptr) {
    auto it = found->keys.find(fold(k));
    if (it != found->keys.end()) {
      // In place: the key keeps its spelling and its line ending.
      Line& l = lines_[it->second];
      l.text = l.name + "=" + quoteIfNeeded(added.value);
      l.value = std::move(added.value);
      return {};  // line positions unchanged, the index stays valid
    }
    const std::size_t header = found->header;
    std::size_t insertAt = header + 1;
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
      if (!trim(lines_[i].text).empty()) insertAt = i + 1;
    const bool atEnd = insertAt == lines_.size();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(added));
    // The lines from insertAt on moved down by one: the index follows them
    // instead of being built again, so setting many keys of a section at the
    // top of a long file stays one pass over the index per key (no name is
    // folded or hashed again). At the end nothing moved.
    if (!atEnd) shiftIndexFrom(insertAt, 1);
    index_[fold(s)].keys.try_emplace(fold(k), insertAt);
    return {};
  }

  Line header;
  header.kind = Kind::Section;
  header.name = std::string(s);
  header.text = "[" + header.name + "]";
  header.ending = newLineEnding();
  lines_.push_back(std::move(header));
  lines_.push_back(std::move(added));
  if (indexValid_) {
    SectionIndex& entry = index_[fold(s)];
    entry.header = lines_.size() - 2;
    entry.keys.try_emplace(fold(k), lines_.size() - 1);
    order_.emplace_back(s);
  }
  return {};
}

Status ProfileDocument::setAll(std::string_view section, const Entries& entries) {
  for (const auto& [key, value] : entries)
    if (!validSectionName(section) || !validKeyName(key))
      return Error{"set([" + std::string(section) + "] " + key + ")", EINVAL};
  const SectionIndex* found = findSection(section);
  // Keys that are there are set in place; the new ones (the last value of
  // each name) go in together, so the lines after them move once.
  std::vector<std::pair<std::string, std::string>> fresh;
  std::unordered_map<std::string, std::size_t> freshAt;
  for (const auto& [key, value] : entries) {
    if (found == nullptr || found->keys.contains(fold(trim(key)))) {
      if (Status st = set(section, key, value); !st) return st;
      found = findSection(section);
      continue;
    }
    const auto [it, inserted] = freshAt.try_emplace(fold(trim(key)), fresh.size());
    if (inserted)
      fresh.emplace_back(key, value);
    else
      fresh[it->second].second = value;
  }
  if (fresh.empty()) return {};
  const std::size_t header = found->header;
  std::size_t insertAt = header + 1;
  const std::size_t end = sectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i)
    if (!trim(lines_[i].text).empty()) insertAt = i + 1;
  std::vector<Line> added;
  added.reserve(fresh.size());
  for (const auto& [key, value] : fresh) added.push_back(keyLine(key, value));
  const bool atEnd = insertAt == lines_.size();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
  if (!atEnd) shiftIndexFrom(insertAt, added.size());
  SectionIndex& index = index_[fold(trim(section))];
  for (std::size_t i = 0; i < added.size(); ++i)
    index.keys.try_emplace(fold(lines_[insertAt + i].name), insertAt + i);
  return {};
}

Status ProfileDocument::replaceSection(std::string_view section, const Entries& keys) {
  if (!validSectionName(section)) return Error{"replaceSection([" + std::string(section) + "])", EINVAL};
  for (const auto& [key, value] : keys)
    if (!validKeyName(key))
      return Error{"replaceSection([" + std::string(section) + "] " + key + ")", EINVAL};
  const SectionIndex* found = findSection(section);
  if (found == nullptr) return setAll(section, keys);
  const std::size_t first = found->header;
  const std::size_t end = sectionEnd(first);
  const std::string_view s = trim(section);

  std::vector<Line> out;
  out.reserve(lines_.size() + keys.size());
  bool skipping = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i == first) {
      out.push_back(std::move(lines_[i]));
      // The body without its keys: comments, then the new keys, then the
      // blank lines that end the section.
      std::size_t blankFrom = end;
      while (blankFrom > first + 1 && trim(lines_[blankFrom - 1].text).empty()) --blankFrom;
      for (std::size_t j = first + 1; j < blankFrom; ++j)
        if (lines_[j].kind != Kind::Key) out.push_back(std::move(lines_[j]));
      for (const auto& [key, value] : keys) out.push_back(keyLine(key, value));
      for (std::size_t j = blankFrom; j < end; ++j) out.push_back(std::move(lines_[j]));
      i = end - 1;
      continue;
    }
    if (lines_[i].kind == Kind::Section) skipping = sameName(lines_[i].name, s);
    if (!skipping) out.push_back(std::move(lines_[i]));
  }
  lines_ = std::move(out);
  indexValid_ = false;
  return {};
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

// The lines as the file holds them; `more`: text follows the last line.
void ProfileDocument::appendLines(std::string& out, bool more) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i].text;
    if (!lines_[i].ending.empty())
      out += lines_[i].ending;
    else if (more || i + 1 < lines_.size())
      out += defaultEnding_;  // a former last line that now has lines after it
  }
}

std::string ProfileDocument::serialize() const {
  std::string joined;
  appendLines(joined, false);
  return text::encode(joined, encoding_, oddTail_);
}

Result<std::string> ProfileDocument::serializeWith(const std::vector<NewSection>& sections) const {
  // The lines setAll() would make: "[name]", then "key=value" as keyLine()
  // writes it, each with the file's line ending. Measured first, so the
  // text is made once at its size.
  std::size_t size = 0;
  for (const Line& l : lines_) size += l.text.size() + 2;
  for (const NewSection& section : sections) {
    if (!validSectionName(section.name)) return Error{"set([" + std::string(section.name) + "])", EINVAL};
    size += trim(section.name).size() + 4;
    for (std::size_t i = 0; i < section.keys; ++i) {
      const auto [key, value] = section.key(i);
      if (!validKeyName(key)) return Error{"set([" + std::string(section.name) + "] " + key + ")", EINVAL};
      size += key.size() + value.size() + 5;
    }
  }
  const bool utf8 = encoding_ != text::Encoding::Utf16Le;
  std::string out = utf8 ? text::encode("", encoding_) : std::string();
  out.reserve(out.size() + size);
  appendLines(out, !sections.empty());
  const std::string& ending = newLineEnding();
  for (const NewSection& section : sections) {
    out += '[';
    out += trim(section.name);
    out += ']';
    out += ending;
    for (std::size_t i = 0; i < section.keys; ++i) {
      const auto [key, value] = section.key(i);
      const Line line = keyLine(key, value);
      out += line.text;
      out += ending;
    }
  }
  if (utf8) return out;
  return text::encode(out, encoding_, oddTail_);
}

Status ProfileDocument::save(const std::string& path) const { return writeFileAtomically(path, serialize()); }

// ---- Free functions -------------------------------------------------------

std::string getString(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& defaultValue) {
  return ProfileDocument::read(path).get(section, key, defaultValue);
}

Status writeString(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value) {
  Result<ProfileDocument> doc = ProfileDocument::load(path);
  if (!doc) return doc.status();
  if (Status set = doc.value().set(section, key, value); !set) return set;
  return doc.value().save(path);
}

Status deleteKey(const std::string& path, const std::string& section, const std::string& key) {
  Result<ProfileDocument> doc = ProfileDocument::load(path);
  if (!doc) return doc.status();
  if (!doc.value().removeKey(section, key)) return {};
  return doc.value().save(path);
}

Status deleteSection(const std::string& path, const std::string& section) {
  Result<ProfileDocument> doc = ProfileDocument::load(path);
  if (!doc) return doc.status();
  if (!doc.value().removeSection(section)) return {};
  return doc.value().save(path);
}

std::vector<std::string> sectionNames(const std::string& path) {
  return ProfileDocument::read(path).sectionNames();
}

}  // namespace hm::profile
