// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ctl_setup.h"

#include <unistd.h>

#include <cerrno>

#include "cli/ctl_commands.h"
#include "core/config_text/setup_document.h"
#include "core/config_text/setup_files.h"
#include "core/settings/regular_file.h"
#include "core/settings/text_encoding.h"

namespace hm::ctl {

namespace {

constexpr const char* kStandardStream = "-";

Result<std::string> readStandardInput() {
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n == 0) return text;
    if (n < 0) {
      if (errno == EINTR) continue;
      return Error{"read(stdin)", errno};
    }
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > kMaxSetupDocumentBytes) return Error{"read(stdin)", EFBIG};
  }
}

void warnAboutMacros(Session& s, const Setup& setup) {
  for (std::size_t i = kMacroCount; i < setup.macros.size(); ++i)
    s.console().err("hidmousectl: warning: macro " + std::to_string(i + 1) + " \"" + setup.macros[i].name +
                    "\" has no image: only the first " + std::to_string(kMacroCount) + " reach the mouse");
}

// The document's paths of texts that are not UTF-8: a document would carry
// them as U+FFFD.
std::vector<std::string> notUtf8(const Setup& setup) {
  std::vector<std::string> paths;
  for (const SetupTexts& t : setup.buttonTexts)
    for (std::size_t m = 0; m < t.texts.text.size(); ++m)
      for (std::size_t slot = 0; slot < kButtonSlots; ++slot)
        if (!text::isValidUtf8(t.texts.text[m][slot]))
          paths.push_back(std::string("buttonTexts.") + languageSection(t.language) +
                          (m == 0 ? ".a[" : ".b[") + std::to_string(slot) + "]: not UTF-8 text");
  for (std::size_t i = 0; i < setup.macros.size(); ++i)
    if (!text::isValidUtf8(setup.macros[i].name))
      paths.push_back("macros[" + std::to_string(i) + "].name: not UTF-8 text (give the macro another name)");
  return paths;
}

}  // namespace

int runExport(Session& s, const std::string& file) {
  const SetupLoad loaded = readSetup(s.paths(), s.language());
  if (!loaded.ok()) {
    s.console().error(loaded.error);
    return kExitFile;
  }
  warnAboutMacros(s, loaded.setup);
  std::string text = setupToJson(loaded.setup);
  // A backup that import refuses, or reads back as other text, is no backup:
  // say what stands in the way (a control character in a text, a name that
  // is not UTF-8 and would be written as U+FFFD).
  std::vector<std::string> faults = notUtf8(loaded.setup);
  if (faults.empty()) faults = setupFromJson(text).errors;
  if (!faults.empty()) {
    for (const std::string& e : faults) s.console().error("cannot export: " + e);
    s.console().error("the files hold what a setup document cannot carry; nothing was exported");
    return kExitFile;
  }
  if (file == kStandardStream) {
    text.pop_back();  // the console ends the line
    s.console().out(text);
    return kExitOk;
  }
  if (const Status written = writeFileAtomically(file, text); !written) {
    s.console().error("cannot write " + file + ": " + written.error().text());
    return kExitFile;
  }
  s.console().out("Exported the setup to " + file + ".");
  return kExitOk;
}

int runImport(Session& s, const std::string& file, bool apply) {
  SetupRead read;
  {
    // The text is let go once read: the files are written from the setup.
    const Result<std::string> text =
        file == kStandardStream ? readStandardInput() : readRegularFile(file, kMaxSetupDocumentBytes);
    if (!text) {
      s.console().error("cannot read " + file + ": " + text.error().text());
      return kExitFile;
    }
    read = setupFromJson(text.value());
  }
  if (!read.setup) {
    const std::string where = (file == kStandardStream ? std::string("stdin") : file) + ": ";
    for (const std::string& e : read.errors) s.console().error(where + e);
    std::string summary = where + std::to_string(read.errors.size());
    summary += read.errors.size() == 1 ? " fault" : " faults";
    s.console().error(summary + "; nothing was written");
    return kExitUsage;
  }
  const SetupSave saved = writeSetup(s.paths(), *read.setup);
  if (!saved.ok()) {
    s.console().error(saved.error);
    return kExitFile;
  }
  if (!s.commitFiles()) return kExitFile;
  for (const MacroReport& r : saved.reports)
    if (r.truncated)
      s.console().err("hidmousectl: warning: macro " + std::to_string(r.number) + " \"" + r.name +
                      "\" was cut to " + std::to_string(r.events) + " events to fit its image");
  const DataPaths paths = s.paths();
  s.console().out("Imported the setup into " + paths.configBin + ", " + paths.strIni + " and " +
                  paths.recordIni + ".");
  return apply ? runApply(s) : kExitOk;
}

}  // namespace hm::ctl
