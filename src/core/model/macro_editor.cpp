// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/macro_editor.h"

#include <algorithm>
#include <utility>

#include "core/settings/profile_file.h"
#include "core/settings/text_encoding.h"
#include "core/settings/ui_text.h"

namespace hm {
namespace {

constexpr char kClickPart[] = " Click";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool storableName(const std::string& name) {
  if (name.empty()) return false;
  if (name.find_first_of("[]=") != std::string::npos) return false;
  // Lists and exports carry the name as text: it must be UTF-8 without
  // control characters (line breaks among them).
  if (!text::isValidUtf8(name) || text::hasControlCharacter(name)) return false;
  return !isBlank(name.front()) && !isBlank(name.back());
}

bool blankName(const std::string& name) { return std::all_of(name.begin(), name.end(), isBlank); }

std::string replaced(std::string text, const std::string& part, const std::string& by) {
  if (const std::size_t at = text.find(part); at != std::string::npos) text.replace(at, part.size(), by);
  return text;
}

bool validRow(int row, std::size_t size) { return row >= 0 && static_cast<std::size_t>(row) < size; }

}  // namespace

// ---- plain rules -----------------------------------------------------------------

NewNameCheck checkNewMacroName(const std::string& name, const std::vector<std::string>& macros) {
  if (blankName(name)) return NewNameCheck::Blank;
  if (macros.size() >= kMaxMacros) return NewNameCheck::TooMany;
  if (std::any_of(macros.begin(), macros.end(),
                  [&](const std::string& m) { return profile::sameName(m, name); }))
    return NewNameCheck::Exists;
  if (text::utf16Length(name) > kMaxMacroNameUnits) return NewNameCheck::TooLong;
  if (!storableName(name)) return NewNameCheck::Unstorable;
  return NewNameCheck::Ok;
}

bool isDelayLine(const std::string& line) { return line.find("ms") != std::string::npos; }

std::string delayLine(long delay, const std::string& delayText) {
  if (delay < kMinDelayMs || delay > kMaxDelayMs) return MacroItem::delay(kDefaultDelayMs).text;
  return delayText + kDelaySuffix;
}

MouseEventInsertion mouseEventInsertion(const std::string& afterLine, const std::string& chosen) {
  const std::string delay = MacroItem::delay(kDefaultDelayMs).text;
  const bool click = chosen.find("Click") != std::string::npos;
  const std::string press = replaced(chosen, kClickPart, kPressSuffix);
  const std::string release = replaced(chosen, kClickPart, kReleaseSuffix);
  if (isDelayLine(afterLine)) {
    if (click) return {{press, delay, release, delay}, 0};
    return {{chosen, delay}, 0};
  }
  if (click) return {{delay, press, delay, release}, 1};
  return {{delay, chosen}, 1};
}

// ---- the editor ----------------------------------------------------------------------

MacroEditor::MacroEditor(std::string recordIni, MouseConfig& config, const UiTexts& texts,
                         MessageSink& messages)
    : recordIni_(std::move(recordIni)), config_(config), texts_(texts), messages_(messages) {}

void MacroEditor::load() {
  reset();
  macros_ = listMacros(recordIni_);
  if (macros_.empty()) return;
  name_ = macros_.front();
  loadItems(macros_.front());
  selectedMacro_ = 0;
  loop_ = std::to_string(loopTimes(config_, 0));
}

void MacroEditor::reset() {
  endRecording();
  macros_.clear();
  selectedMacro_ = -1;
  sequence_.clear();
  selectedLine_ = -1;
  name_.clear();
  loop_.clear();
  face_.clear();
}

void MacroEditor::loadItems(const std::string& name) {
  sequence_.clear();
  selectedLine_ = -1;
  for (MacroItem& item : readMacro(recordIni_, name).items) sequence_.push_back(std::move(item.text));
}

void MacroEditor::selectMacro(int row) {
  if (!validRow(row, macros_.size())) {
    selectedMacro_ = -1;
    return;
  }
  selectedMacro_ = row;
  name_ = macros_[static_cast<std::size_t>(row)];
  loadItems(name_);
  if (!sequence_.empty()) loop_ = std::to_string(loopTimes(config_, row));
}

void MacroEditor::selectLine(int row) { selectedLine_ = validRow(row, sequence_.size()) ? row : -1; }

void MacroEditor::setLoopField(const std::string& text) {
  const long value = leadingInteger(text);
  loop_ = value >= kMinLoopTimes && value <= kMaxLoopTimes ? text : std::to_string(kMinLoopTimes);
  if (selectedMacro_ >= 0) setLoopTimes(config_, selectedMacro_, clampLoopTimesText(loop_));
}

bool MacroEditor::createMacro() {
  switch (checkNewMacroName(name_, macros_)) {
    case NewNameCheck::Blank: messages_.showMessage(texts_.get(TextId::MacroNameBlank), ""); return false;
    case NewNameCheck::TooMany: messages_.showMessage(kTooManyMacrosText, kMacroWarningCaption); return false;
    case NewNameCheck::Exists: messages_.showMessage(texts_.get(TextId::MacroNameExists), ""); return false;
    case NewNameCheck::TooLong: messages_.showMessage(kMacroNameTooLongText, ""); return false;
    case NewNameCheck::Unstorable: messages_.showMessage(kMacroNameUnstorableText, ""); return false;
    case NewNameCheck::Ok: break;
  }
  macros_.push_back(name_);
  sequence_.clear();
  selectedLine_ = -1;
  selectedMacro_ = static_cast<int>(macros_.size()) - 1;
  return true;
}

bool MacroEditor::removeMacro() {
  if (!validRow(selectedMacro_, macros_.size())) return false;
  const auto at = macros_.begin() + selectedMacro_;
  if (Status removed = deleteMacro(recordIni_, *at); !removed) {
    fileFailure(removed);
    return false;
  }
  macros_.erase(at);
  selectedMacro_ = -1;
  sequence_.clear();
  selectedLine_ = -1;
  name_.clear();
  return true;
}

bool MacroEditor::confirm() {
  if (!validRow(selectedMacro_, macros_.size())) return false;
  const std::string name = macros_[static_cast<std::size_t>(selectedMacro_)];
  MacroRecord record{name, {}};
  for (const std::string& line : sequence_) record.items.push_back({line});
  if (Status written = rewriteMacro(recordIni_, record); !written) {
    fileFailure(written);
    return false;
  }
  const std::vector<MacroReport> reports = rebuildMacroImages(recordIni_, config_);

  // The list follows the file: its sections in order, then the macros not
  // confirmed yet. Each confirmed macro's list position is then its number.
  std::vector<std::string> order = listMacros(recordIni_);
  for (const std::string& m : macros_)
    if (std::none_of(order.begin(), order.end(),
                     [&](const std::string& f) { return profile::sameName(f, m); }))
      order.push_back(m);
  macros_ = std::move(order);
  const auto at = std::find_if(macros_.begin(), macros_.end(),
                               [&](const std::string& m) { return profile::sameName(m, name); });
  selectedMacro_ = static_cast<int>(at - macros_.begin());

  if (!record.items.empty()) setLoopField(loop_);
  warnAboutImages(reports);
  return true;
}

void MacroEditor::warnAboutImages(const std::vector<MacroReport>& reports) {
  std::string text;
  for (const MacroReport& r : reports) {
    const std::string macro = "Macro " + std::to_string(r.number) + " \"" + r.name + "\"";
    if (!r.hasImage)
      text += macro + " has no image: only the first 12 macros reach the mouse.\n";
    else if (r.truncated)
      text += macro + " was cut to its first " + std::to_string(r.events) + " events to fit its " +
              std::to_string(kMacroImageSize) + "-byte image.\n";
  }
  if (text.empty()) return;
  text.pop_back();
  messages_.showMessage(text, kMacroWarningCaption);
}

void MacroEditor::fileFailure(const Status& status) {
  messages_.showMessage("record.ini could not be written: " + status.error().text(), "");
}

bool MacroEditor::editDelay(int row, const std::function<std::optional<DelayAnswer>()>& ask) {
  if (!validRow(row, sequence_.size())) return false;
  std::string& line = sequence_[static_cast<std::size_t>(row)];
  if (!isDelayLine(line)) return false;
  const std::optional<DelayAnswer> answer = ask();
  if (!answer) return false;
  line = delayLine(answer->delay, answer->text);
  selectedLine_ = row;
  return true;
}

void MacroEditor::chooseMouseEvent(int choice) {
  if (!validRow(choice, kMouseEventChoices.size())) return;
  face_ = kMouseEventChoices[static_cast<std::size_t>(choice)];
  if (selectedLine_ < 0) return;
  const auto after = static_cast<std::size_t>(selectedLine_);
  MouseEventInsertion insertion = mouseEventInsertion(sequence_[after], face_);
  sequence_.insert(sequence_.begin() + selectedLine_ + 1, insertion.lines.begin(), insertion.lines.end());
  selectedLine_ = static_cast<int>(after + 1 + insertion.selected);
}

bool MacroEditor::deleteSelectedLine() {
  if (!validRow(selectedLine_, sequence_.size())) return false;
  sequence_.erase(sequence_.begin() + selectedLine_);
  selectedLine_ = -1;
  return true;
}

void MacroEditor::replaceSequence(std::vector<std::string> lines) {
  sequence_ = std::move(lines);
  selectedLine_ = -1;
}

// ---- recording -----------------------------------------------------------------------

void MacroEditor::startRecording() {
  if (macros_.empty()) {
    messages_.showMessage(texts_.get(TextId::MacroNameBlank), kMacroWarningCaption);
    return;
  }
  // The recording begins when this box is closed.
  messages_.showMessage(texts_.get(TextId::StartRecording), "");
  sequence_.clear();
  selectedLine_ = -1;
  const Status started = host_ != nullptr ? recorder_.start(*host_) : Status::failure("installKeySource", 0);
  if (!started) {
    std::string text = kHookInstallErrorText;
    text.replace(text.find("%d"), 2, std::to_string(started.code()));
    messages_.showMessage(text, "");
    return;
  }
  // Left as it is when the recording ends.
  host_->setWindowTitle(texts_.get(TextId::PressCtrlBreak));
}

void MacroEditor::stopRecording() {
  messages_.showMessage(texts_.get(TextId::StopRecording), "");
  if (!recorder_.started()) {
    messages_.showMessage(texts_.get(TextId::NotRecording), kMacroWarningCaption);
    return;
  }
  endRecording();
}

void MacroEditor::endRecording() {
  settleKeys();  // a release seen before the end is recorded
  if (host_ != nullptr) recorder_.end(*host_);
}

void MacroEditor::recordKey(const KeyStroke& stroke) {
  if (!recorder_.recording()) return;
  if (MacroRecorder::isStopStroke(stroke)) {
    stopByCtrlBreak();
    return;
  }
  for (const MacroRecorder::Event& event : recorder_.eventsFor(stroke)) record(event);
}

void MacroEditor::settleKeys() {
  if (const std::optional<MacroRecorder::Event> event = recorder_.settleHeldRelease()) record(*event);
}

void MacroEditor::record(const MacroRecorder::Event& event) {
  if (selectedMacro_ < 0) return;
  for (std::string& line : recorder_.linesFor(event)) sequence_.push_back(std::move(line));
  selectedLine_ = static_cast<int>(sequence_.size()) - 1;
}

void MacroEditor::stopByCtrlBreak() {
  endRecording();
  const std::vector<std::string> ctrl = recorder_.takeBackCtrlPress();
  if (ctrl.empty() || ctrl.size() > sequence_.size() ||
      !std::equal(ctrl.begin(), ctrl.end(), sequence_.end() - static_cast<std::ptrdiff_t>(ctrl.size())))
    return;
  sequence_.erase(sequence_.end() - static_cast<std::ptrdiff_t>(ctrl.size()), sequence_.end());
  selectedLine_ = static_cast<int>(sequence_.size()) - 1;
}

}  // namespace hm
