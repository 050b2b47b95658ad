// SPDX-License-Identifier: GPL-3.0-or-later
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
  down_.clear();
  heldRelease_.reset();
  return {};
}

void MacroRecorder::end(RecorderHost& host) {
  if (installed_) {
    host.removeKeySource();
    installed_ = false;
    firstEvent_ = FirstEvent::Stopped;
  }
  started_ = false;
  heldRelease_.reset();
}

bool MacroRecorder::isStopStroke(const KeyStroke& k) {
  return !k.release && k.ctrlHeld && oneOf(kBreakKeyNames, k.name);
}

std::vector<MacroRecorder::Event> MacroRecorder::eventsFor(const KeyStroke& k) {
  std::string name(text::cutToUtf16Units(k.name, kMaxKeyNameUnits));
  std::vector<Event> events;
  if (heldRelease_) {
    // A press of the same key at the same time: the pair was a repeat and
    // the key is still down.
    if (!k.release && name == heldRelease_->name && k.time == heldRelease_->time) {
      heldRelease_.reset();
      return events;
    }
    events.push_back(*settleHeldRelease());
  }
  if (k.release) {
    // Marked as a repeat by the window system: no release of the key.
    if (k.autoRepeat) return events;
    if (k.time != 0) {
      heldRelease_ = HeldRelease{std::move(name), k.time};
      return events;
    }
    down_.erase(name);
    events.push_back(Event{Kind::Release, std::move(name)});
    return events;
  }
  if (k.autoRepeat && name == lastPressName_) return events;
  if (!down_.insert(name).second) return events;  // already down: a repeat
  events.push_back(Event{Kind::Press, std::move(name)});
  return events;
}

std::optional<MacroRecorder::Event> MacroRecorder::settleHeldRelease() {
  if (!heldRelease_) return std::nullopt;
  std::string name = std::move(heldRelease_->name);
  heldRelease_.reset();
  down_.erase(name);
  return Event{Kind::Release, std::move(name)};
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
