// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/key_capture.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <utility>

#include "platform/key_names.h"

namespace hm {
namespace {

struct QtKeyName {
  int key;
  const char* name;
};

// Keys named the same with and without the keypad modifier.
constexpr QtKeyName kPlainNames[] = {
    {Qt::Key_Escape, "Esc"},
    {Qt::Key_Return, "Enter"},
    {Qt::Key_Enter, "Num Enter"},
    {Qt::Key_Backspace, "Backspace"},
    {Qt::Key_Tab, "Tab"},
    {Qt::Key_Backtab, "Tab"},
    {Qt::Key_Space, "Space"},
    {Qt::Key_CapsLock, "Caps Lock"},
    {Qt::Key_Print, "Prnt Scrn"},
    {Qt::Key_SysReq, "Prnt Scrn"},
    {Qt::Key_ScrollLock, "Scroll Lock"},
    {Qt::Key_Pause, "Pause"},
    {Qt::Key_NumLock, "Num Lock"},
    {Qt::Key_Control, "Ctrl"},
    {Qt::Key_Shift, "Shift"},
    {Qt::Key_Alt, "Alt"},
    {Qt::Key_AltGr, "Right Alt"},
    {Qt::Key_Meta, "Left Windows"},
    {Qt::Key_Super_L, "Left Windows"},
    {Qt::Key_Super_R, "Right Windows"},
    {Qt::Key_Menu, "Application"},
    // Main-block punctuation, unshifted and shifted (US English layout).
    {Qt::Key_Minus, "-"},
    {Qt::Key_Underscore, "-"},
    {Qt::Key_Equal, "="},
    {Qt::Key_Plus, "="},
    {Qt::Key_BracketLeft, "["},
    {Qt::Key_BraceLeft, "["},
    {Qt::Key_BracketRight, "]"},
    {Qt::Key_BraceRight, "]"},
    {Qt::Key_Backslash, "\\"},
    {Qt::Key_Bar, "\\"},
    {Qt::Key_Semicolon, ";"},
    {Qt::Key_Colon, ";"},
    {Qt::Key_Apostrophe, "'"},
    {Qt::Key_QuoteDbl, "'"},
    {Qt::Key_QuoteLeft, "`"},
    {Qt::Key_AsciiTilde, "`"},
    {Qt::Key_Comma, ","},
    {Qt::Key_Less, ","},
    {Qt::Key_Period, "."},
    {Qt::Key_Greater, "."},
    {Qt::Key_Slash, "/"},
    {Qt::Key_Question, "/"},
    // Shifted digits.
    {Qt::Key_Exclam, "1"},
    {Qt::Key_At, "2"},
    {Qt::Key_NumberSign, "3"},
    {Qt::Key_Dollar, "4"},
    {Qt::Key_Percent, "5"},
    {Qt::Key_AsciiCircum, "6"},
    {Qt::Key_Ampersand, "7"},
    {Qt::Key_Asterisk, "8"},
    {Qt::Key_ParenLeft, "9"},
    {Qt::Key_ParenRight, "0"},
    // Navigation block.
    {Qt::Key_Insert, "Insert"},
    {Qt::Key_Delete, "Delete"},
    {Qt::Key_Home, "Home"},
    {Qt::Key_End, "End"},
    {Qt::Key_PageUp, "Page Up"},
    {Qt::Key_PageDown, "Page Down"},
    {Qt::Key_Left, "Left"},
    {Qt::Key_Right, "Right"},
    {Qt::Key_Up, "Up"},
    {Qt::Key_Down, "Down"},
};

// Keys on the keypad (Qt::KeypadModifier set); with Num Lock off the digit
// keys arrive as navigation keys.
constexpr QtKeyName kKeypadNames[] = {
    {Qt::Key_Enter, "Num Enter"}, {Qt::Key_Return, "Num Enter"}, {Qt::Key_Slash, "Num /"},
    {Qt::Key_Asterisk, "Num *"},  {Qt::Key_Minus, "Num -"},      {Qt::Key_Plus, "Num +"},
    {Qt::Key_Period, "Num Del"},  {Qt::Key_Comma, "Num Del"},    {Qt::Key_Delete, "Num Del"},
    {Qt::Key_Insert, "Num 0"},    {Qt::Key_End, "Num 1"},        {Qt::Key_Down, "Num 2"},
    {Qt::Key_PageDown, "Num 3"},  {Qt::Key_Left, "Num 4"},       {Qt::Key_Clear, "Num 5"},
    {Qt::Key_Right, "Num 6"},     {Qt::Key_Home, "Num 7"},       {Qt::Key_Up, "Num 8"},
    {Qt::Key_PageUp, "Num 9"},    {Qt::Key_NumLock, "Num Lock"},
};

const char* find(const QtKeyName* begin, const QtKeyName* end, int key) {
  for (const QtKeyName* k = begin; k != end; ++k)
    if (k->key == key) return k->name;
  return nullptr;
}

}  // namespace

std::string keyNameFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers) {
  const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
  if (keypad) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
      return "Num " + std::string(1, static_cast<char>('0' + (qtKey - Qt::Key_0)));
    if (const char* n = find(std::begin(kKeypadNames), std::end(kKeypadNames), qtKey)) return n;
  }
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
    return std::string(1, static_cast<char>('A' + (qtKey - Qt::Key_A)));
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
    return std::string(1, static_cast<char>('0' + (qtKey - Qt::Key_0)));
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return "F" + std::to_string(qtKey - Qt::Key_F1 + 1);
  if (const char* n = find(std::begin(kPlainNames), std::end(kPlainNames), qtKey)) return n;
  if (qtKey == 0 || qtKey == Qt::Key_unknown) return {};
  return QKeySequence(qtKey).toString(QKeySequence::PortableText).toStdString();
}

std::string capturedKeyName(const QKeyEvent& event) {
  if (event.nativeScanCode() != 0) {
    std::string name = keyNameFromScanCode(event.nativeScanCode());
    if (!name.empty()) return name;
  }
  return keyNameFromQtKey(event.key(), event.modifiers());
}

bool isWindowsKey(const QKeyEvent& event) {
  const std::string name = capturedKeyName(event);
  return name == "Left Windows" || name == "Right Windows";
}

bool isEnterOrEscape(const QKeyEvent& event) {
  const int k = event.key();
  return k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape;
}

KeyCaptureFilter::KeyCaptureFilter(QWidget* scope, Sink sink, Swallow swallow)
    : scope_(scope), sink_(std::move(sink)), swallow_(std::move(swallow)) {
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

KeyCaptureFilter::~KeyCaptureFilter() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool KeyCaptureFilter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return QObject::eventFilter(watched, event);
  // Only the scope's own window: the window-system object and other
  // top-level windows (a message box over the dialog) keep their keys.
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!scope_ || !widget || widget->window() != scope_->window()) return QObject::eventFilter(watched, event);
  const auto* key = static_cast<const QKeyEvent*>(event);
  // An ignored key event travels up the parent chain and passes here once
  // per widget; it is one key event all the same.
  const bool repeatDelivery = event == lastEvent_ && lastType_ == type &&
                              lastTimestamp_ == key->timestamp() && lastKey_ == key->key() &&
                              lastScanCode_ == key->nativeScanCode();
  lastEvent_ = event;
  lastType_ = type;
  lastTimestamp_ = key->timestamp();
  lastKey_ = key->key();
  lastScanCode_ = key->nativeScanCode();
  if (!repeatDelivery && sink_) sink_(capturedKeyName(*key), *key);
  return swallow_ && swallow_(*key);
}

}  // namespace hm
