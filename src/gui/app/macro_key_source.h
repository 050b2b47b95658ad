// SPDX-License-Identifier: GPL-3.0-or-later
// The macro recorder's key source: while installed, an application-wide
// event filter names every key press and release that reaches the main
// window or one of its children (gui/dialogs/key_capture.h names them the way
// the key tables spell them, from the physical key), hands it to the sink and
// drops it, so no edit field takes the key and Enter and Esc are recorded
// instead of hiding the window. Keys typed into other programs, or into the
// program's other windows (message boxes, dialogs), are never seen.
//
// While installed it asks the X server for detectable auto-repeat
// (x11_auto_repeat.h); each stroke carries the event's time, by which the
// recorder also knows a repeat's release and press pair.
//
// Installed filters run last-installed first, so this one, installed at
// each start, runs before the main window's own pre-filter.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "core/model/macro_recorder.h"

class QWidget;
class QKeyEvent;

namespace hm {

// The stroke of a key event: its name, press or release, auto-repeat, and
// whether a Ctrl key was held.
KeyStroke keyStrokeOf(const QKeyEvent& event);

class MacroKeySource : public QObject, public RecorderHost {
  Q_OBJECT
 public:
  using Sink = std::function<void(const KeyStroke&)>;
  // `window` is the main window; its title is the recording's.
  MacroKeySource(QWidget* window, Sink sink);
  ~MacroKeySource() override;

  Status installKeySource() override;
  void removeKeySource() override;
  void setWindowTitle(const std::string& title) override;
  bool installed() const { return installed_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
  Sink sink_;
  bool installed_ = false;
  bool detectableAutoRepeat_ = false;  // switched on by this source
};

}  // namespace hm
