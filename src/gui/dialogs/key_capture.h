// SPDX-License-Identifier: GPL-3.0-or-later
// Key capture for the single-key and combo-key dialogs: while a dialog runs,
// an application-wide event filter sees every key press and release that
// reaches the dialog's own window (the dialog and its children) and names
// the key the way the key tables spell it (platform/key_names.h), from the
// physical key when the window system gives a scan code and from the Qt key
// otherwise. Keys for other windows, such as a message box the dialog
// raises, pass untouched.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <Qt>
#include <functional>
#include <string>

class QKeyEvent;

namespace hm {

// The name of a Qt key for events without a scan code. Keypad keys (with
// Qt::KeypadModifier) get the "Num ..." names, shifted US symbols the name of
// their key ("!" is "1"), modifiers the left-hand names ("Ctrl", "Shift",
// "Alt", "Left Windows"); other keys their own Qt name, "" for none.
std::string keyNameFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers);

// The name of the key of a key event: from nativeScanCode() when it names a
// key, else from the Qt key.
std::string capturedKeyName(const QKeyEvent& event);

// True for the left and right Windows keys (scan code or Qt key).
bool isWindowsKey(const QKeyEvent& event);
// True for Enter, keypad Enter and Esc.
bool isEnterOrEscape(const QKeyEvent& event);

// Installed on the application while it lives. Every key press and release
// for a widget of `scope`'s window is named and handed to `sink` (once per
// event, however far the event propagates); events for which `swallow`
// answers true are then dropped.
class KeyCaptureFilter : public QObject {
  Q_OBJECT
 public:
  using Sink = std::function<void(const std::string& name, const QKeyEvent& event)>;
  using Swallow = std::function<bool(const QKeyEvent& event)>;

  KeyCaptureFilter(QWidget* scope, Sink sink, Swallow swallow);
  ~KeyCaptureFilter() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> scope_;
  Sink sink_;
  Swallow swallow_;
  const QEvent* lastEvent_ = nullptr;
  int lastType_ = 0;
  quint64 lastTimestamp_ = 0;
  int lastKey_ = 0;
  quint32 lastScanCode_ = 0;
};

}  // namespace hm
