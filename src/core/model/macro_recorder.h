// SPDX-License-Identifier: GPL-3.0-or-later
// The macro recorder: turns the key presses and releases that reach the
// configuration window into lines of a key press sequence, with a fixed
// "50 ms" between consecutive events (no real time is measured).
//
//   idle --start--> recording --stop / Ctrl+Break / page left--> idle
//
// While recording, a key source of the window (RecorderHost) hands every key
// event to the editor, which asks the recorder what it means:
//   - a press: "<name>   Dn"; before it "50 ms", except for the first press
//     after the start;
//   - a release: "50 ms" and "<name>   Up" (also for a key held before the
//     start, whose release may come first);
//   - holding a key down records one press and its release. The window
//     system repeats a held key as more presses (dropped: the key is already
//     down, or the event says it is a repeat), or as release and press pairs
//     with one timestamp: a timed release is therefore held back until the
//     next stroke shows it was no repeat, or until the window settles it
//     (settleHeldRelease) when no press came soon after it;
//   - Pause with Ctrl held (Ctrl+Break) ends the recording; the Ctrl press
//     recorded just before it is taken back, since it was pressed only to
//     stop.
// Key names are compared exactly, letter case included, and cut to 31
// UTF-16 units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/error.h"

namespace hm {

inline constexpr unsigned kRecordedDelayMs = 50;
inline constexpr std::size_t kMaxKeyNameUnits = 31;
// The key that stops a recording when pressed with Ctrl ("Break" where the
// window system names the combination itself).
inline constexpr const char* kBreakKeyNames[] = {"Pause", "Break"};
inline constexpr const char* kCtrlKeyNames[] = {"Ctrl", "Right Ctrl"};
// Shown when the key source could not be installed; %d is its error code.
inline constexpr char kHookInstallErrorText[] = "JournalRecordHook Install error code :%d\n";

// One key event of the configuration window.
struct KeyStroke {
  std::string name;  // the key's name as the key tables spell it ("A", "Ctrl", "Num 7")
  bool release = false;
  bool autoRepeat = false;  // made by holding the key down
  bool ctrlHeld = false;    // a Ctrl key was down at the time
  std::uint64_t time = 0;   // the window system's time of the event in ms; 0 unknown
};

// What the recording needs from the window: a source of its key events (on
// other systems a keyboard hook of the window's thread) and its title.
class RecorderHost {
 public:
  virtual ~RecorderHost() = default;
  // From now on every key event of the configuration window reaches
  // MacroEditor::recordKey, and none of them does anything else.
  virtual Status installKeySource() = 0;
  virtual void removeKeySource() = 0;
  virtual void setWindowTitle(const std::string& title) = 0;
};

enum class FirstEvent { Pending, Done, Stopped };

class MacroRecorder {
 public:
  enum class Kind { Press, Release };
  struct Event {
    Kind kind;
    std::string name;
  };

  bool recording() const { return installed_; }  // the key source is installed
  bool started() const { return started_; }      // decides the warning of "Stop Recording"
  FirstEvent firstEvent() const { return firstEvent_; }
  const std::string& lastPressName() const { return lastPressName_; }

  // Removes a source still installed, installs it anew and, when that
  // worked, starts: started set, the next press without a delay before it.
  Status start(RecorderHost& host);
  // Removes the source if installed (the first event becomes "stopped") and
  // clears started.
  void end(RecorderHost& host);

  // Whether the stroke is Ctrl+Break, which ends the recording.
  static bool isStopStroke(const KeyStroke& k);
  // The events a stroke settles, in order: none for a repeat or a release
  // held back, else the held-back release (when there was one and the stroke
  // shows it real) and the stroke's own.
  std::vector<Event> eventsFor(const KeyStroke& k);
  // The release held back, now that no press of a repeat followed it.
  std::optional<Event> settleHeldRelease();
  bool holdsRelease() const { return heldRelease_.has_value(); }
  // The lines an event adds to the sequence; remembers the press.
  std::vector<std::string> linesFor(const Event& e);
  // The lines the last event added when it was a Ctrl press, else none;
  // forgets them.
  std::vector<std::string> takeBackCtrlPress();

 private:
  bool installed_ = false;
  bool started_ = false;
  FirstEvent firstEvent_ = FirstEvent::Stopped;
  // Not cleared by a start: an auto-repeat of the key pressed last in an
  // earlier recording is still a repeat.
  std::string lastPressName_;
  std::set<std::string> down_;  // keys pressed in this recording and not released
  struct HeldRelease {
    std::string name;
    std::uint64_t time;
  };
  std::optional<HeldRelease> heldRelease_;
  std::vector<std::string> ctrlPressLines_;  // what the last event added, when it was a Ctrl press
};

}  // namespace hm
