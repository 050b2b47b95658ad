// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/macro_key_source.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cerrno>
#include <utility>

#include "gui/app/x11_auto_repeat.h"
#include "gui/dialogs/key_capture.h"

namespace hm {

KeyStroke keyStrokeOf(const QKeyEvent& event) {
  return {capturedKeyName(event), event.type() == QEvent::KeyRelease, event.isAutoRepeat(),
          event.modifiers().testFlag(Qt::ControlModifier), event.timestamp()};
}

MacroKeySource::MacroKeySource(QWidget* window, Sink sink) : window_(window), sink_(std::move(sink)) {}

MacroKeySource::~MacroKeySource() { removeKeySource(); }

Status MacroKeySource::installKeySource() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || !window_) return Status::failure("installEventFilter", ENODEV);
  if (installed_) app->removeEventFilter(this);  // to the front of the filters again
  app->installEventFilter(this);
  installed_ = true;
  // Repeats of a held key as presses only, where the server can.
  if (!detectableAutoRepeat_) detectableAutoRepeat_ = setDetectableAutoRepeat(true);
  return {};
}

void MacroKeySource::removeKeySource() {
  if (!installed_) return;
  installed_ = false;
  if (detectableAutoRepeat_) detectableAutoRepeat_ = setDetectableAutoRepeat(false);
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

void MacroKeySource::setWindowTitle(const std::string& title) {
  if (window_) window_->setWindowTitle(QString::fromStdString(title));
}

bool MacroKeySource::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return QObject::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  // The window's own keys only (isAncestorOf stays inside one window).
  if (widget == nullptr || !window_ || (widget != window_ && !window_->isAncestorOf(widget)))
    return QObject::eventFilter(watched, event);
  // Dropped at its first receiver, so the event reaches no parent and is
  // handled once.
  if (sink_) sink_(keyStrokeOf(*static_cast<QKeyEvent*>(event)));
  return true;
}

}  // namespace hm
