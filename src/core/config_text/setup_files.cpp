// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/config_text/setup_files.h"

#include <cerrno>
#include <cstdio>
#include <optional>

#include "core/macros/macro_record.h"
#include "core/settings/config_file.h"
#include "core/settings/profile_file.h"
#include "core/settings/regular_file.h"
#include "core/settings/settings_ini.h"
#include "core/settings/skin_name.h"
#include "core/wire/byte_order.h"

namespace hm {
namespace {

constexpr Language kLanguages[] = {Language::English, Language::SimplifiedChinese,
                                   Language::TraditionalChinese};

std::string cannot(const std::string& what, const std::string& path, const Status& s) {
  return "cannot " + what + " " + path + ": " + s.error().text();
}

// A file as it was before the write, to put back when a later one fails.
struct Before {
  std::string path;
  std::optional<std::string> bytes;  // nothing: the file was not there
};

Result<Before> remember(const std::string& path) {
  Result<std::string> bytes = readRegularFile(path);
  if (bytes) return Before{path, std::move(bytes.value())};
  if (bytes.error().code == ENOENT) return Before{path, std::nullopt};
  return bytes.error();
}

void restore(const Before& b) {
  if (b.bytes)
    static_cast<void>(writeFileAtomically(b.path, *b.bytes));
  else
    std::remove(b.path.c_str());
}

// A macro's section: "ItemCount", then its items.
profile::ProfileDocument::NewSection macroSection(const SetupMacro& m) {
  return {m.name, m.items.size() + 1, [&m](std::size_t i) {
            return i == 0 ? std::pair(std::string(kItemCountKey), std::to_string(m.items.size()))
                          : std::pair(itemKey(static_cast<long>(i - 1)), std::string(m.items[i - 1]));
          }};
}

}  // namespace

SetupLoad readSetup(const DataPaths& paths, Language current) {
  SetupLoad out;
  Setup& s = out.setup;
  NullMessageSink quiet;
  if (const Status read = loadConfigFile(paths.configBin, s.record, s.firstRunFlag, quiet); !read) {
    out.error = "cannot read " + paths.configBin + ": " +
                (read.code() == ENOENT ? std::string(kConfigMissingText)
                 : read.code() == EINVAL || read.code() == EFBIG
                     ? "not a config.bin of " + std::to_string(kConfigFileSize) + " bytes"
                     : read.error().text());
    return out;
  }
  Result<profile::ProfileDocument> record = profile::ProfileDocument::load(paths.recordIni);
  if (!record) {
    out.error = cannot("read", paths.recordIni, record.status());
    return out;
  }
  Result<profile::ProfileDocument> str = profile::ProfileDocument::load(paths.strIni);
  if (!str) {
    out.error = cannot("read", paths.strIni, str.status());
    return out;
  }
  const profile::ProfileDocument& ini = str.value();
  for (Language l : kLanguages) {
    if (l != current && !ini.hasSection(languageSection(l))) continue;
    SetupTexts t{l, {}};
    for (int m = kModeA; m <= kModeB; ++m)
      for (std::size_t slot = 0; slot < kButtonSlots; ++slot)
        t.texts.text[static_cast<std::size_t>(m)][slot] =
            ini.get(languageSection(l), buttonTextKey(m, static_cast<int>(slot)));
    s.buttonTexts.push_back(std::move(t));
  }
  if (ini.hasSection(kSkinsSection))
    s.skin = SetupSkin{colourByteFromText(ini.get(kSkinsSection, kSkinRedKey)),
                       colourByteFromText(ini.get(kSkinsSection, kSkinGreenKey)),
                       colourByteFromText(ini.get(kSkinsSection, kSkinBlueKey)),
                       usableSkinName(ini.get(kSkinsSection, kSkinPathKey))};
  int slot = 0;
  for (const std::string& name : record.value().sectionNames()) {
    const profile::ProfileDocument::Section section = record.value().section(name);
    SetupMacro m{name, loopTimes(s.record, slot++), {}};
    const long count = clampItemCount(section.get(kItemCountKey));
    for (long j = 0; j < count; ++j) m.items.push_back(section.get(itemKey(j)));
    s.macros.push_back(std::move(m));
  }
  return out;
}

SetupSave writeSetup(const DataPaths& paths, const Setup& setup) {
  SetupSave out;
  if (!fileExists(paths.configBin)) {
    out.error = "cannot write " + paths.configBin + ": " + kConfigMissingText;
    return out;
  }
  // record.ini: what stands before its first section, then exactly the
  // setup's macros in their order. Its text is written straight from the
  // macros, with no line of the old sections or the new held on the way.
  std::string recordText;
  {
    Result<profile::ProfileDocument> head = profile::ProfileDocument::loadHead(paths.recordIni);
    if (!head) {
      out.error = cannot("read", paths.recordIni, head.status());
      return out;
    }
    std::vector<profile::ProfileDocument::NewSection> sections;
    sections.reserve(setup.macros.size());
    for (const SetupMacro& m : setup.macros) sections.push_back(macroSection(m));
    Result<std::string> text = head.value().serializeWith(sections);
    if (!text) {
      out.error = cannot("write", paths.recordIni, text.status());
      return out;
    }
    recordText = std::move(text.value());
  }

  // config.bin: the record with the images of those macros, as a rebuild
  // from that record.ini makes them.
  MouseConfig config = setup.record;
  for (auto& image : config.macroImage)
    for (std::uint8_t& byte : image) byte = 0;
  out.reports.reserve(setup.macros.size());
  for (std::size_t i = 0; i < setup.macros.size(); ++i) {
    const SetupMacro& m = setup.macros[i];
    MacroReport report;
    report.number = static_cast<int>(i) + 1;
    report.name = m.name;
    report.items = static_cast<long>(m.items.size());
    report.hasImage = i < kMacroCount;
    if (report.hasImage) {
      const EncodeResult r = encodeMacroImage(
          m.items.size(), [&m](std::size_t j) { return std::string(m.items[j]); }, config.macroImage[i]);
      report.events = r.events;
      report.truncated = r.truncated;
      storeBigEndian16(config.macroImage[i], m.loopTimes);
    }
    out.reports.push_back(std::move(report));
  }

  // str.ini: the language sections given and the skin.
  Result<profile::ProfileDocument> str = profile::ProfileDocument::load(paths.strIni);
  if (!str) {
    out.error = cannot("read", paths.strIni, str.status());
    return out;
  }
  // Exactly the document's sections: a language it leaves out, or a skin of
  // null, is not kept from the old file.
  for (const std::string& name : str.value().sectionNames()) str.value().removeSection(name);
  for (const SetupTexts& t : setup.buttonTexts) {
    profile::ProfileDocument::Entries entries;
    for (int m = kModeA; m <= kModeB; ++m)
      for (std::size_t slot = 0; slot < kButtonSlots; ++slot)
        entries.emplace_back(buttonTextKey(m, static_cast<int>(slot)),
                             t.texts.text[static_cast<std::size_t>(m)][slot]);
    if (Status set = str.value().setAll(languageSection(t.language), entries); !set) {
      out.error = cannot("write", paths.strIni, set);
      return out;
    }
  }
  if (setup.skin)
    if (Status set = str.value().setAll(kSkinsSection, {{kSkinRedKey, std::to_string(setup.skin->red)},
                                                        {kSkinGreenKey, std::to_string(setup.skin->green)},
                                                        {kSkinBlueKey, std::to_string(setup.skin->blue)},
                                                        {kSkinPathKey, setup.skin->path}});
        !set) {
      out.error = cannot("write", paths.strIni, set);
      return out;
    }

  // What the three files hold now, so that a failed write can be undone;
  // under a transaction nothing reaches them before its commit, so there is
  // nothing to undo (and no old record.ini to hold).
  std::vector<Before> before;
  if (!ScopedWriteStage::active())
    for (const std::string* path : {&paths.recordIni, &paths.configBin, &paths.strIni}) {
      Result<Before> b = remember(*path);
      if (!b) {
        out.error = cannot("read", *path, b.status());
        return out;
      }
      before.push_back(std::move(b.value()));
    }
  Status status = writeFileAtomically(paths.recordIni, recordText);
  recordText = std::string();
  std::size_t done = 0;
  if (status) {
    ++done;
    status = writeConfigImage(paths.configBin, setup.firstRunFlag, config);
  }
  if (status) {
    ++done;
    status = str.value().save(paths.strIni);
  }
  if (!status) {
    const std::string* written[] = {&paths.recordIni, &paths.configBin, &paths.strIni};
    out.error = cannot("write", *written[done], status);
    if (done > 0 && !before.empty()) out.error += "; the files written before it got their old contents back";
    for (std::size_t i = 0; i < done && i < before.size(); ++i) restore(before[i]);
  }
  return out;
}

}  // namespace hm
