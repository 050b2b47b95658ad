// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a profile file: reading must not crash, and a key written
// into the file must read back as written. Values are stored up to their first
// line break (CR or LF) and read back up to the read buffer's length; names and
// values that are not valid UTF-8 cannot be stored exactly in a UTF-16LE file,
// so the read-back is checked there only for valid text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/settings/profile_file.h"

namespace {

// The input: the file itself, then after the last 0x00 byte three fields
// separated by 0x01 (section, key, value) used for the write check.
struct Input {
  std::string file, section, key, value;
};

Input split(const std::uint8_t* data, std::size_t size) {
  std::string all(reinterpret_cast<const char*>(data), size);
  Input in;
  std::size_t z = all.rfind('\0');
  if (z == std::string::npos) {
    in.file = all;
    in.section = "S";
    in.key = "k";
    in.value = "v";
    return in;
  }
  in.file = all.substr(0, z);
  std::string rest = all.substr(z + 1);
  std::size_t a = rest.find('\x01');
  std::size_t b = a == std::string::npos ? std::string::npos : rest.find('\x01', a + 1);
  in.section = rest.substr(0, a);
  in.key = a == std::string::npos ? "k" : rest.substr(a + 1, b == std::string::npos ? b : b - a - 1);
  in.value = b == std::string::npos ? "" : rest.substr(b + 1);
  return in;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using hm::profile::ProfileDocument;
  const Input in = split(data, size);

  ProfileDocument doc = ProfileDocument::parse(in.file);
  for (const std::string& name : doc.sectionNames()) (void)doc.get(name, in.key);
  (void)doc.get(in.section, in.key);

  // An untouched document writes back exactly the bytes it was read from,
  // except for a UTF-16LE file with text that UTF-8 cannot hold exactly.
  const std::string same = doc.serialize();
  if (doc.encoding() != hm::text::Encoding::Utf16Le && same != in.file) std::abort();

  ProfileDocument edited = doc;
  if (!edited.set(in.section, in.key, in.value)) return 0;  // a name that cannot be stored
  const std::string stored = in.value.substr(0, in.value.find_first_of("\r\n"));
  const std::string expected(hm::text::cutToUtf16Units(stored, hm::profile::kValueReadUnits));
  ProfileDocument reread = ProfileDocument::parse(edited.serialize());
  if (reread.encoding() != doc.encoding()) std::abort();
  const bool exact =
      doc.encoding() != hm::text::Encoding::Utf16Le ||
      (hm::text::isValidUtf8(stored) && hm::text::isValidUtf8(in.section) && hm::text::isValidUtf8(in.key));
  if (!exact) return 0;
  if (reread.get(in.section, in.key, "\x01<none>") != expected) std::abort();
  if (!reread.hasSection(in.section)) std::abort();

  // Deleting takes the key and then the section away.
  reread.removeKey(in.section, in.key);
  if (reread.find(in.section, in.key)) std::abort();
  reread.removeSection(in.section);
  if (ProfileDocument::parse(reread.serialize()).hasSection(in.section)) std::abort();
  return 0;
}
