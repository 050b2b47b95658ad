// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the dialog tests: one QApplication, a temporary skin folder with
// solid-colour dialog images, a sink that records messages, a runner that
// drives a dialog's widgets instead of a modal loop, and key, mouse and
// wheel events as the window system would deliver them.
#pragma once

#include <QApplication>
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/settings/message_sink.h"
#include "gui/dialogs/dialog_runner.h"
#include "gui/dialogs/skin_dialog.h"
#include "gui/skin/skin_library.h"
#include "platform/key_names.h"
#include "support/qt_application.h"
#include "support/recording_sink.h"

namespace hm::test {

inline QApplication& app() { return application(); }

// Colours of the test skin, so a test can tell which image is drawn where.
inline const QColor kBackgroundColor{10, 20, 30};
inline const QColor kButtonNormalColor{200, 0, 0};
inline const QColor kButtonOverColor{0, 0, 200};
inline const QColor kCloseNormalColor{0, 200, 0};
inline const QColor kCloseOverColor{200, 200, 0};
inline const QColor kPaneOffColor{90, 90, 90};
inline const QColor kPaneOnColor{250, 250, 250};
inline constexpr int kDialogWidth = 420, kDialogHeight = 300;

class TestSkin {
 public:
  TestSkin() {
    app();
    const QSize dialog(kDialogWidth, kDialogHeight);
    for (const char* name : {"single-key.png", "combo-key.png", "fire-key.png", "macro-key.png",
                             "media-key.png", "windows-key.png", "delay-time.png"})
      write(name, dialog, kBackgroundColor);
    write("button-normal.png", {105, 21}, kButtonNormalColor);
    write("button-over.png", {105, 21}, kButtonOverColor);
    write("button-close-normal.png", {18, 18}, kCloseNormalColor);
    write("button-close-over.png", {18, 18}, kCloseOverColor);
    write("Pane.png", {16, 16}, kPaneOffColor);
    write("PaneMakingTick.png", {16, 16}, kPaneOnColor);
    library.setSkinFolder(dir_.path());
  }
  void write(const QString& name, QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    image.save(dir_.path() + u'/' + name, "PNG");
  }
  void remove(const QString& name) {
    QFile::remove(dir_.path() + u'/' + name);
    library.setSkinFolder(dir_.path());
  }
  QString path() const { return dir_.path(); }

  SkinLibrary library;

 private:
  QTemporaryDir dir_;
};

// Shows the dialog (which initialises it), runs the script on it and ends
// it the way the script did; a script that did not end it accepts it.
class ScriptedRunner : public DialogRunner {
 public:
  using Script = std::function<void(QDialog&)>;
  explicit ScriptedRunner(Script script = {}) : script_(std::move(script)) {}
  void setScript(Script s) { script_ = std::move(s); }
  int run(QDialog& dialog) override {
    ++runs;
    dialog.setResult(-1);
    dialog.show();
    if (script_) script_(dialog);
    if (dialog.isVisible()) dialog.accept();
    dialog.hide();
    lastResult = dialog.result();
    return lastResult;
  }
  int runs = 0;
  int lastResult = 0;

 private:
  Script script_;
};

// Sends a key press and release of a physical key (evdev code) to the
// widget with the keyboard focus, as X11 delivers them.
inline void sendKey(QWidget* target, QEvent::Type type, int qtKey, std::uint32_t evdev,
                    Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent event(type, qtKey, mods, evdev ? evdev + kNativeScanCodeOffset : 0, 0, 0, text);
  QApplication::sendEvent(target, &event);
}
inline void tapKey(QWidget* target, int qtKey, std::uint32_t evdev,
                   Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
  sendKey(target, QEvent::KeyPress, qtKey, evdev, mods, text);
  sendKey(target, QEvent::KeyRelease, qtKey, evdev, mods, text);
}

// A left click at a point of the dialog, delivered to whatever child lies there.
inline void clickAt(QWidget* dialog, QPoint p) {
  QWidget* target = dialog->childAt(p);
  if (!target || !target->isEnabled()) target = dialog;
  QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->mapFrom(dialog, p));
}

inline void moveTo(QWidget* widget, QPoint p) {
  QMouseEvent move(QEvent::MouseMove, QPointF(p), widget->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

inline void wheel(QWidget* widget, int delta) {
  const QPointF at(5, 5);
  QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &event);
}

inline QColor pixel(const QImage& image, QPoint p) { return QColor(image.pixel(p)); }

}  // namespace hm::test
