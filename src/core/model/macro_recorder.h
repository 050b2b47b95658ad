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
//   - a press made by holding the last recorded key down (auto-repeat) is
//     dropped, and so is a release that only belongs to such a repeat;
//   - Pause with Ctrl held (Ctrl+Break) ends the recording; the Ctrl press
//     recorded just before it is taken back, since it was pressed only to
//     stop.
// Key names are compared exactly, letter case included, and cut to 31
// UTF-16 units.
#pragma once

#include <cstddef>
#include <optional>
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
  // The event a stroke makes, or nothing for a dropped auto-repeat.
  std::optional<Event> eventFor(const KeyStroke& k) const;
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
  std::vector<std::string> ctrlPressLines_;  // what the last event added, when it was a Ctrl press
};

}  // namespace hm
