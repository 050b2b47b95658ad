#include "core/model/macro_recorder.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

#include "core/macros/macro_record.h"
#include "core/settings/text_encoding.h"

namespace hm {
namespace {

template <std::size_t N>
bool oneOf(const char* const (&names)[N], const std::string& name) {
  return std::any_of(std::begin(names), std::end(names), [&](const char* n) { return name == n; });
}

}  // namespace

Status MacroRecorder::start(RecorderHost& host) {
  if (installed_) {
    host.removeKeySource();
    installed_ = false;
  }
  if (Status installed = host.installKeySource(); !installed) return installed;
  installed_ = true;
  started_ = true;
  firstEvent_ = FirstEvent::Pending;
  ctrlPressLines_.clear();
  return {};
}

void MacroRecorder::end(RecorderHost& host) {
  if (installed_) {
    host.removeKeySource();
    installed_ = false;
    firstEvent_ = FirstEvent::Stopped;
  }
  started_ = false;
}

bool MacroRecorder::isStopStroke(const KeyStroke& k) {
  return !k.release && k.ctrlHeld && oneOf(kBreakKeyNames, k.name);
}

std::optional<MacroRecorder::Event> MacroRecorder::eventFor(const KeyStroke& k) const {
  std::string name(text::cutToUtf16Units(k.name, kMaxKeyNameUnits));
  if (k.release) {
    // A held key repeats as release and press pairs on some window systems;
    // such a release is no release of the key.
    if (k.autoRepeat) return std::nullopt;
    return Event{Kind::Release, std::move(name)};
  }
  if (k.autoRepeat && name == lastPressName_) return std::nullopt;
  return Event{Kind::Press, std::move(name)};
}

std::vector<std::string> MacroRecorder::linesFor(const Event& e) {
  const std::string delay = MacroItem::delay(kRecordedDelayMs).text;
  std::vector<std::string> lines;
  if (e.kind == Kind::Press) {
    if (firstEvent_ == FirstEvent::Pending)
      firstEvent_ = FirstEvent::Done;
    else
      lines.push_back(delay);
    lines.push_back(MacroItem::press(e.name).text);
    lastPressName_ = e.name;
  } else {
    lines = {delay, MacroItem::release(e.name).text};
  }
  ctrlPressLines_.clear();
  if (e.kind == Kind::Press && oneOf(kCtrlKeyNames, e.name)) ctrlPressLines_ = lines;
  return lines;
}

std::vector<std::string> MacroRecorder::takeBackCtrlPress() { return std::exchange(ctrlPressLines_, {}); }

}  // namespace hm
