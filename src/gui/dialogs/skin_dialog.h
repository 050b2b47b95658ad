// SPDX-License-Identifier: GPL-3.0-or-later
// The frame shared by the seven assignment dialogs: a frameless QDialog
// sized and painted by its skin background image, with the skinned OK,
// Cancel and close buttons and their hover images, the dialog font and the
// OK / Cancel texts of the language, the control colours (white on 0x282828)
// and the standard keys.
//
// Initialisation runs once, at the first show (or by initialise()): load the
// background; when it cannot be loaded, say "error" under the dialog's
// load-failure caption and stop, so the dialog stays open and empty while OK
// and Cancel still work where they would be. Otherwise set font and texts,
// create the dialog's own controls and, for the key-capturing dialogs,
// start the key capture, which lasts until the dialog ends.
//
// The picture lives on an off-screen canvas the size of the dialog; every
// state change redraws it and the paint event only shows it, with the
// dialog's thin border drawn over its outermost pixels.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>

#include "core/settings/language.h"
#include "gui/dialogs/dialog_messages.h"
#include "gui/skin/skin_library.h"

class QLabel;
class QLineEdit;
class QPainter;
class QKeyEvent;

namespace hm {

class SkinLibrary;
class MessageSink;
class KeyCaptureFilter;
struct DialogTexts;

// What every dialog needs from its owner.
struct DialogEnv {
  SkinLibrary& skins;
  MessageSink& messages;
  Language language = Language::English;
  QColor textColor{0, 255, 0};  // the skin text colour (OK / Cancel texts)
  // Makes the sink of the boxes the dialog raises about its skin images,
  // owned by the dialog; empty: those go to `messages` too.
  OwnedMessageSinks ownedMessages = {};
};

class CSkinDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Keys {
    Standard,  // Esc cancels, Enter is OK
    Capture    // key presses are captured; Enter and Esc do not end the dialog
  };
  struct Frame {
    const char* background;      // skin image name, "/single-key.png" ...
    const char* failureCaption;  // caption of the "error" box
    Keys keys;
  };

  CSkinDialog(const DialogEnv& env, Frame frame, QWidget* parent);
  ~CSkinDialog() override;

  // The initialisation described above; runs once (a second call does nothing).
  void initialise();
  bool initialised() const { return initialised_; }
  bool backgroundLoaded() const { return backgroundLoaded_; }
  bool capturing() const { return capture_ != nullptr; }

  bool okHot() const { return okHot_; }
  bool cancelHot() const { return cancelHot_; }
  bool closeHot() const { return closeHot_; }
  const QImage& canvas() const { return canvas_; }
  const QFont& dialogFont() const { return font_; }
  const DialogTexts& texts() const;
  Language language() const { return env_.language; }

  // The dialog's child control with a control identifier, or nullptr.
  QWidget* control(int id) const;

  void done(int result) override;

 protected:
  // The dialog's own controls (after the frame's set-up).
  virtual void createControls() {}
  // The dialog's own images (drawn with drawImage) and then its painted
  // texts, after the frame's.
  virtual void paintOwnImages() {}
  virtual void paintOwn(QPainter&) {}
  // A left press that hit none of OK, Cancel and close.
  virtual void pressOwn(QPoint) {}
  // A press that hit OK, Cancel or close, before the dialog ends (open lists close).
  virtual void pressFrame(QPoint) {}
  // A wheel notification anywhere over the dialog (the open list of the
  // fire-key and macro dialogs scrolls by it); true when used.
  virtual bool wheelOwn(int) { return false; }
  // A captured key name (Keys::Capture only).
  virtual void keyCaptured(const std::string&) {}
  // Whether a captured key event is kept from the dialog; Keys::Capture
  // dialogs drop key presses of Enter and Esc.
  virtual bool swallowsKey(const QKeyEvent& event) const;

  // Redraws the canvas from the current state and shows it.
  void redraw();
  // Helpers for the dialog's own controls, named "id<identifier>", in the
  // dialog's font.
  QLabel* makeLabel(int id, const QRect& rect, Qt::Alignment align);
  QLineEdit* makeEdit(int id, const QRect& rect, bool border);
  // Draws a skin image on the canvas, saying "LoadPng---Load image failed."
  // when it is missing.
  void drawImage(const char* name, QPoint at);
  void drawPrompt(QPainter& painter, const QRect& rect, const QString& text, int format);

  const DialogEnv& env() const { return env_; }

  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void hover();
  // Draws the canvas from the current state at the dialog's device pixel
  // ratio.
  void drawCanvas();
  // Gives a child control the dialog's normal font.
  void useDialogFont(QWidget* control) const;
  void stopCapture();

  DialogEnv env_;
  Frame frame_;
  bool initialised_ = false;
  bool backgroundLoaded_ = false;
  SkinImage background_;
  QImage canvas_;
  QFont font_;
  bool okHot_ = false, cancelHot_ = false, closeHot_ = false;
  QTimer hoverTimer_;
  QPoint hoverPos_;
  std::unique_ptr<KeyCaptureFilter> capture_;
  std::unique_ptr<MessageSink> ownMessages_;  // boxes owned by this dialog
};

}  // namespace hm
