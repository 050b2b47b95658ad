// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/skin_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "core/settings/message_sink.h"
#include "core/settings/ui_text.h"
#include "gui/dialogs/application_name.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/dialogs/key_capture.h"
#include "gui/skin/draw_skin_image.h"
#include "gui/skin/skin_images.h"
#include "gui/skin/skin_library.h"
#include "gui/skin/skin_text.h"

namespace hm {
namespace {

QString colorName(unsigned rgb) { return QColor::fromRgb(rgb).name(); }

}  // namespace

CSkinDialog::CSkinDialog(const DialogEnv& env, Frame frame, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), env_(env), frame_(frame) {
  // Window lists and task switchers name the dialog by the application
  // (without a title of its own it would show the window class).
  setWindowTitle(QString::fromLatin1(kApplicationName));
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  resize(dlg::kEmptyDialogWidth, dlg::kEmptyDialogHeight);
  if (env_.ownedMessages) ownMessages_ = env_.ownedMessages(this);
  hoverTimer_.setSingleShot(true);
  hoverTimer_.setInterval(dlg::kHoverDelayMs);
  connect(&hoverTimer_, &QTimer::timeout, this, &CSkinDialog::hover);
}

CSkinDialog::~CSkinDialog() { stopCapture(); }

const DialogTexts& CSkinDialog::texts() const { return dialogTexts(env_.language); }

void CSkinDialog::initialise() {
  if (initialised_) return;
  initialised_ = true;
  if (parentWidget()) move(parentWidget()->mapToGlobal(QPoint(0, 0)));

  const SkinImage* image = env_.skins.image(QString::fromUtf8(frame_.background));
  if (!image) {
    env_.messages.showMessage(dlg::kFailureText, frame_.failureCaption);
    return;
  }
  background_ = *image;
  backgroundLoaded_ = true;
  resize(background_.logicalSize().toSize());

  font_ = SkinFonts::forLanguage(env_.language).normal;
  setFont(font_);
  // Static texts, lists and edit boxes: white on 0x282828.
  setStyleSheet(QStringLiteral("QLabel, QLineEdit, QListWidget { color: %1; background-color: %2; }"
                               " QLineEdit { border: none; }")
                    .arg(colorName(dlg::kControlText), colorName(dlg::kControlBackground)));
  createControls();
  if (frame_.keys == Keys::Capture) {
    capture_ = std::make_unique<KeyCaptureFilter>(
        this, [this](const std::string& name, const QKeyEvent&) { keyCaptured(name); },
        [this](const QKeyEvent& event) { return swallowsKey(event); });
  }
  redraw();
}

bool CSkinDialog::swallowsKey(const QKeyEvent& event) const {
  return frame_.keys == Keys::Capture && event.type() == QEvent::KeyPress && isEnterOrEscape(event);
}

QWidget* CSkinDialog::control(int id) const { return findChild<QWidget*>(QStringLiteral("id%1").arg(id)); }

void CSkinDialog::done(int result) {
  stopCapture();
  hoverTimer_.stop();
  QDialog::done(result);
}

void CSkinDialog::stopCapture() { capture_.reset(); }

void CSkinDialog::drawImage(const char* name, QPoint at) {
  // "LoadPng---Load image failed." belongs to the dialog that could not draw.
  MessageSink& messages = ownMessages_ ? *ownMessages_ : env_.messages;
  drawSkinImageOrWarn(canvas_, env_.skins, QString::fromUtf8(name), at.x(), at.y(), messages);
}

void CSkinDialog::drawPrompt(QPainter& painter, const QRect& rect, const QString& text, int format) {
  drawSkinText(painter, rect, text, format, font_, QColor::fromRgb(dlg::kPromptText));
}

void CSkinDialog::redraw() {
  drawCanvas();
  update();
}

void CSkinDialog::drawCanvas() {
  if (!backgroundLoaded_) return;
  canvas_ = blankCanvas(background_.logicalSize().toSize(), devicePixelRatioF());
  canvas_.fill(Qt::black);
  placeSkinImage(canvas_, background_, QPoint(0, 0));
  drawImage(okHot_ ? skin::kButtonOver : skin::kButtonNormal, dlg::kOkRect.topLeft());
  drawImage(cancelHot_ ? skin::kButtonOver : skin::kButtonNormal, dlg::kCancelRect.topLeft());
  drawImage(closeHot_ ? skin::kCloseOver : skin::kCloseNormal, dlg::kCloseRect.topLeft());
  paintOwnImages();
  {
    QPainter painter(&canvas_);
    drawSkinText(painter, dlg::kOkRect, QString::fromStdString(texts().ok), kTextCenter, font_,
                 env_.textColor);
    drawSkinText(painter, dlg::kCancelRect, QString::fromStdString(texts().cancel), kTextCenter, font_,
                 env_.textColor);
    paintOwn(painter);
  }
}

void CSkinDialog::showEvent(QShowEvent* event) {
  initialise();
  QDialog::showEvent(event);
}

void CSkinDialog::paintEvent(QPaintEvent*) {
  // Moved to a screen of another scale: the picture is drawn again for it.
  if (!canvas_.isNull() && canvas_.devicePixelRatio() != devicePixelRatioF()) drawCanvas();
  QPainter p(this);
  if (!canvas_.isNull()) p.drawImage(0, 0, canvas_);
  // The thin border, over the outermost pixels of the window (also of an
  // empty dialog), so that client coordinates stay the picture's.
  p.setPen(QPen(QColor::fromRgb(dlg::kBorderColor), dlg::kBorderWidth));
  p.setBrush(Qt::NoBrush);
  p.drawRect(rect().adjusted(0, 0, -dlg::kBorderWidth, -dlg::kBorderWidth));
}

void CSkinDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const QPoint p = event->position().toPoint();
    if (inside(dlg::kOkRect, p)) {
      pressFrame(p);
      accept();
      return;
    }
    if (inside(dlg::kCancelRect, p) || inside(dlg::kCloseRect, p)) {
      pressFrame(p);
      reject();
      return;
    }
    if (backgroundLoaded_) pressOwn(p);
  }
  QDialog::mousePressEvent(event);
}

void CSkinDialog::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (inside(dlg::kOkRect, p) || inside(dlg::kCancelRect, p) || inside(dlg::kCloseRect, p)) {
    hoverPos_ = p;
    hoverTimer_.start();
  } else {
    hoverTimer_.stop();
    if (okHot_ || cancelHot_ || closeHot_) {
      okHot_ = cancelHot_ = closeHot_ = false;
      redraw();
    }
  }
  QDialog::mouseMoveEvent(event);
}

void CSkinDialog::hover() {
  const QPoint p = hoverPos_;
  if (inside(dlg::kCloseRect, p)) {
    closeHot_ = true;
  } else if (inside(dlg::kOkRect, p)) {
    okHot_ = true;
    cancelHot_ = false;
  } else if (inside(dlg::kCancelRect, p)) {
    cancelHot_ = true;
    okHot_ = false;
  } else {
    return;
  }
  redraw();
}

void CSkinDialog::wheelEvent(QWheelEvent* event) {
  if (backgroundLoaded_ && wheelOwn(event->angleDelta().y())) {
    event->accept();
    return;
  }
  QDialog::wheelEvent(event);
}

void CSkinDialog::keyPressEvent(QKeyEvent* event) {
  if (frame_.keys == Keys::Standard && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    accept();
    return;
  }
  if (frame_.keys == Keys::Capture) {
    // Captured keys never end these dialogs.
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CSkinDialog::useDialogFont(QWidget* control) const {
  // Set on the control itself: under the dialog's style sheet a control
  // that only inherits the font is drawn in the application's default font.
  control->setFont(font_);
}

QLabel* CSkinDialog::makeLabel(int id, const QRect& rect, Qt::Alignment align) {
  auto* label = new QLabel(this);
  useDialogFont(label);
  label->setObjectName(QStringLiteral("id%1").arg(id));
  label->setGeometry(rect);
  label->setAlignment(align | Qt::AlignVCenter);
  // A static text lets clicks through to the dialog (its box lies under it).
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  label->show();
  return label;
}

QLineEdit* CSkinDialog::makeEdit(int id, const QRect& rect, bool border) {
  auto* edit = new QLineEdit(this);
  useDialogFont(edit);
  edit->setObjectName(QStringLiteral("id%1").arg(id));
  edit->setGeometry(rect);
  edit->setAlignment(Qt::AlignCenter);
  edit->setFrame(border);
  if (border)
    edit->setStyleSheet(
        QStringLiteral("QLineEdit { border: 1px solid %1; }").arg(colorName(dlg::kControlText)));
  edit->show();
  return edit;
}

}  // namespace hm
