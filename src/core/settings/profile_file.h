// SPDX-License-Identifier: GPL-3.0-or-later
// Windows profile-file (INI) semantics on a UTF-8 or UTF-16LE text file.
//
// Reading:
//  - A section line is "[name]" (blanks before '[' allowed); the name runs to the
//    last ']' on the line and is trimmed. A key line is "key=value" split at the
//    first '='; key and value are trimmed of blanks (space, tab, CR). A value
//    enclosed in a pair of single or double quotes loses them, as Windows does.
//  - Lines starting with ';' or '#', lines without '=', and key lines before the
//    first section belong to no section and are never found, but they are kept
//    byte for byte when the file is rewritten.
//  - Section and key names match without regard to letter case (Unicode lower
//    case mapping, so "Été" is "éTÉ"); the first section of a name and, inside
//    it, the first key of a name win.
//  - A value reads as the profile read with a buffer of 1024 UTF-16 units
//    gives it: at most kValueReadUnits units, a longer value cut there (never
//    inside a character). It is stored whole.
//  - Encodings (settings/text_encoding.h): UTF-8 with or without byte-order
//    mark, UTF-16LE with byte-order mark. Texts handed in and out are UTF-8.
// Writing:
//  - The file keeps its encoding, byte-order mark and line endings (each line
//    keeps its own; new lines take the ending of the file's first line break).
//    A new file is UTF-8 without byte-order mark, with LF line endings.
//  - A value is stored up to its first line break (CR or LF): what follows a
//    line break could not be read back as part of the value. A value with
//    leading or trailing blanks, or one that is itself enclosed in quotes,
//    is written inside double quotes so it reads back unchanged.
//  - Names that cannot be stored are refused (EINVAL): a section name with a line
//    break or one that is empty after trimming; a key name with '=' or a line
//    break, one starting with '[', ';' or '#', or one empty after trimming.
//  - Every write replaces the file atomically where its folder allows
//    (settings/regular_file.h) and keeps the file's permissions. A file that
//    exists but cannot be read is never written, so nothing in it is lost.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/settings/text_encoding.h"

namespace hm::profile {

// Longest value a read gives, in UTF-16 units: a 1024-unit buffer less the
// terminating zero.
constexpr std::size_t kValueReadUnits = 1023;

// Value of key in section; default when the file, section or key is missing.
std::string getString(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& defaultValue = "");
// Replace the key in place, or append it to the end of its section, or append a
// new section at the end of the file; creates the file (UTF-8) when missing.
// Fails on I/O failure, or with EINVAL for a name that cannot be stored.
Status writeString(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value);
// Removes every occurrence of the key from the (first) section of that name.
// Succeeds also when there was nothing to delete; the file is then untouched.
Status deleteKey(const std::string& path, const std::string& section, const std::string& key);
// Removes every section of that name with all its lines, so the name is gone.
Status deleteSection(const std::string& path, const std::string& section);
// Section names in file order (each name once, first spelling).
std::vector<std::string> sectionNames(const std::string& path);
// Whether two section or key names are one name for the functions above (for
// callers that keep names unique, such as macro names).
bool sameName(std::string_view a, std::string_view b);

// A parsed profile file: read many keys with one parse, change it in memory,
// write it back once. The free functions above are built on it.
class ProfileDocument {
  struct SectionIndex;

 public:
  ProfileDocument() = default;
  // The document of the file at path; a missing file gives an empty one with
  // existed() false. A file that exists but cannot be read (a directory, a
  // FIFO, no permission) gives its Error, so no writer mistakes it for a
  // fresh file.
  static Result<ProfileDocument> load(const std::string& path);
  // For readers: as load, but a file that cannot be read reads as empty.
  static ProfileDocument read(const std::string& path);
  static ProfileDocument parse(std::string_view fileBytes);
  // The lines before the first section (comments, keys of no section), with
  // the file's encoding, line ending and odd tail: what is left of the file
  // once every section is removed, without holding lines for the rest. A
  // missing or unreadable file as load().
  static ProfileDocument parseHead(std::string_view fileBytes);
  static Result<ProfileDocument> loadHead(const std::string& path);

  bool existed() const { return existed_; }
  text::Encoding encoding() const { return encoding_; }

  // One section looked up once, for many reads from it: its name is folded
  // and hashed once, not once per key (a macro of 65536 items under a name of
  // a megabyte). Valid until the document is changed.
  class Section {
   public:
    bool exists() const { return found_ != nullptr; }
    // As ProfileDocument::find / get for this section.
    std::optional<std::string> find(std::string_view key) const;
    std::string get(std::string_view key, std::string_view defaultValue = "") const;
    // Every key a find gives a value for: its lower-case name (foldCase) and
    // its value as read, in no particular order.
    std::vector<std::pair<std::string_view, std::string>> entries() const;

   private:
    friend class ProfileDocument;
    Section(const ProfileDocument* doc, const SectionIndex* found) : doc_(doc), found_(found) {}
    const ProfileDocument* doc_;
    const SectionIndex* found_;
  };
  Section section(std::string_view name) const;

  // The value as a read gives it (cut to kValueReadUnits).
  std::optional<std::string> find(std::string_view section, std::string_view key) const;
  std::string get(std::string_view section, std::string_view key, std::string_view defaultValue = "") const;
  bool hasSection(std::string_view section) const;
  std::vector<std::string> sectionNames() const;

  // Same rules as the free functions; EINVAL for a name that cannot be stored.
  Status set(std::string_view section, std::string_view key, std::string_view value);
  // Sets every key of one section, as set() one after another does, with the
  // lines after the section moved once for all the new keys.
  using Entries = std::vector<std::pair<std::string, std::string>>;
  Status setAll(std::string_view section, const Entries& entries);
  // Rewrites the section where it stands: its "[name]" line keeps its place
  // (and so the section its position among the others), its key lines are
  // replaced by `keys` in order, its comments stay before them and the blank
  // lines that end it after them; later sections of the same name go. A
  // section not in the document is appended with the keys. EINVAL, changing
  // nothing, for a section or key name that cannot be stored.
  Status replaceSection(std::string_view section, const Entries& keys);
  // true when something was removed.
  bool removeKey(std::string_view section, std::string_view key);
  bool removeSection(std::string_view section);

  // The bytes of section and key names folded so far to look names up: the
  // work of the reads and changes made, which a caller's use of the document
  // keeps proportional to the file's size (for tests of that).
  std::size_t lookupWork() const { return foldedBytes_; }

  // The file image in the document's encoding.
  std::string serialize() const;

  // A section to append: its name and its keys, key(i) giving the name and
  // value of key i.
  struct NewSection {
    std::string_view name;
    std::size_t keys = 0;
    std::function<std::pair<std::string, std::string>(std::size_t)> key;
  };
  // The file image setAll() of each section in turn and then serialize()
  // would give, for sections whose names are not in the document nor given
  // twice, each with keys of distinct names; written straight into the text
  // instead of held as lines (a macro of 65,536 items). EINVAL, as setAll,
  // for a name that cannot be stored.
  Result<std::string> serializeWith(const std::vector<NewSection>& sections) const;
  // Replaces the file at path with serialize().
  Status save(const std::string& path) const;

 private:
  enum class Kind { Other, Section, Key };
  struct Line {
    std::string text;    // the line as in the file, UTF-8, without its ending
    std::string ending;  // "\n", "\r\n" or "" (last line without one)
    Kind kind = Kind::Other;
    std::string name;   // trimmed section or key name
    std::string value;  // key lines: the value as read
  };
  struct SectionIndex {
    std::size_t header = 0;                             // line of the first "[name]"
    std::unordered_map<std::string, std::size_t> keys;  // lower-case key → first key line
  };

  static void classify(Line& line);
  void appendLines(std::string& out, bool more) const;
  Line keyLine(std::string_view key, std::string_view value) const;
  std::string valueAt(std::size_t line) const;
  std::string fold(std::string_view name) const;  // foldCase, counted
  void buildIndex() const;
  void shiftIndexFrom(std::size_t line, std::size_t by);  // lines from `line` on moved down
  const SectionIndex* findSection(std::string_view section) const;
  std::size_t sectionEnd(std::size_t header) const;  // first line after the section
  const std::string& newLineEnding() const;

  std::vector<Line> lines_;
  text::Encoding encoding_ = text::Encoding::Utf8;
  std::string defaultEnding_ = "\n";
  std::string oddTail_;  // a trailing odd byte of a UTF-16 file, kept
  bool existed_ = false;
  mutable bool indexValid_ = false;
  mutable std::size_t foldedBytes_ = 0;
  mutable std::unordered_map<std::string, SectionIndex> index_;  // lower-case name → first section
  mutable std::vector<std::string> order_;                       // section names, first spelling
};

}  // namespace hm::profile
