#include "cli/ctl_setup.h"

#include <unistd.h>

#include <cerrno>

#include "cli/ctl_commands.h"
#include "core/config_text/setup_document.h"
#include "core/config_text/setup_files.h"
#include "core/settings/regular_file.h"

namespace hm::ctl {

namespace {

constexpr const char* kStandardStream = "-";
// A setup document is a few hundred kilobytes at most; anything far larger is
// not one.
constexpr std::size_t kMaxDocumentBytes = 64u << 20;

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
    if (text.size() > kMaxDocumentBytes) return Error{"read(stdin)", EFBIG};
  }
}

void warnAboutMacros(Session& s, const Setup& setup) {
  for (std::size_t i = kMacroCount; i < setup.macros.size(); ++i)
    s.console().err("hidmousectl: warning: macro " + std::to_string(i + 1) + " \"" + setup.macros[i].name +
                    "\" has no image; import takes at most " + std::to_string(kMacroCount) + " macros");
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
  const Result<std::string> text =
      file == kStandardStream ? readStandardInput() : readRegularFile(file, kMaxDocumentBytes);
  if (!text) {
    s.console().error("cannot read " + file + ": " + text.error().text());
    return kExitFile;
  }
  const SetupRead read = setupFromJson(text.value());
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
