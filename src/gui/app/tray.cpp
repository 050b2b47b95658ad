#include "gui/app/tray.h"

#include <QAction>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace hm {

namespace {

constexpr int kIconSizes[] = {16, 22, 32, 48, 64};
constexpr QColor kIconBody{0x1c, 0x1f, 0x26};
constexpr QColor kIconEdge{0x00, 0xe0, 0x70};

QPixmap drawIcon(int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  // A mouse seen from above: a rounded body, the split between the buttons
  // and a lit wheel.
  QPainterPath body;
  body.addRoundedRect(QRectF(s * 0.22, s * 0.06, s * 0.56, s * 0.88), s * 0.28, s * 0.28);
  p.setPen(QPen(kIconEdge, qMax(1.0, s / 16.0)));
  p.setBrush(kIconBody);
  p.drawPath(body);
  p.drawLine(QPointF(s * 0.5, s * 0.08), QPointF(s * 0.5, s * 0.40));
  p.drawLine(QPointF(s * 0.24, s * 0.40), QPointF(s * 0.76, s * 0.40));
  p.setPen(Qt::NoPen);
  p.setBrush(kIconEdge);
  p.drawRoundedRect(QRectF(s * 0.45, s * 0.16, s * 0.10, s * 0.16), s * 0.05, s * 0.05);
  return pm;
}

}  // namespace

SystemTrayBackend::SystemTrayBackend(QObject* parent) : TrayIconBackend(parent) {
  connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIconBackend::activated);
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

SystemTrayBackend::~SystemTrayBackend() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool SystemTrayBackend::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
      type != QEvent::MouseButtonRelease)
    return false;
  auto* iconWindow = qobject_cast<QWidget*>(watched);
  if (!iconWindow || iconWindow->objectName() != QLatin1String(kXEmbedIconWindow)) return false;
  if (type != QEvent::MouseButtonRelease) return true;  // presses do nothing
  const auto* mouse = static_cast<QMouseEvent*>(event);
  // Released away from the icon: the click was taken back.
  if (!iconWindow->rect().contains(mouse->position().toPoint())) return true;
  switch (mouse->button()) {
    case Qt::LeftButton: emit activated(QSystemTrayIcon::Trigger); break;
    case Qt::RightButton:
      if (menu_) menu_->popup(mouse->globalPosition().toPoint());
      emit activated(QSystemTrayIcon::Context);
      break;
    case Qt::MiddleButton: emit activated(QSystemTrayIcon::MiddleClick); break;
    default: break;
  }
  return true;
}

bool SystemTrayBackend::available() const { return QSystemTrayIcon::isSystemTrayAvailable(); }
void SystemTrayBackend::setIcon(const QIcon& icon) { icon_.setIcon(icon); }
void SystemTrayBackend::setToolTip(const QString& tip) { icon_.setToolTip(tip); }
void SystemTrayBackend::setContextMenu(QMenu* menu) {
  menu_ = menu;
  icon_.setContextMenu(menu);
}
void SystemTrayBackend::show() { icon_.show(); }
void SystemTrayBackend::hide() { icon_.hide(); }
bool SystemTrayBackend::visible() const { return icon_.isVisible(); }
void SystemTrayBackend::showMessage(const QString& title, const QString& text, int timeoutMs) {
  icon_.showMessage(title, text, QSystemTrayIcon::Information, timeoutMs);
}

QIcon applicationIcon() {
  QIcon icon;
  for (int size : kIconSizes) icon.addPixmap(drawIcon(size));
  return icon;
}

Tray::Tray(std::unique_ptr<TrayIconBackend> backend, const QString& exitText, QObject* parent)
    : QObject(parent), backend_(std::move(backend)) {
  exitAction_ = menu_.addAction(exitText);
  connect(exitAction_, &QAction::triggered, this, &Tray::exitRequested);
  connect(backend_.get(), &TrayIconBackend::activated, this, &Tray::onActivated);
  backend_->setIcon(applicationIcon());
  backend_->setToolTip(QString::fromLatin1(kTrayTip));
  backend_->setContextMenu(&menu_);
}

Tray::~Tray() { remove(); }

void Tray::add() {
  if (backend_->available()) backend_->show();
}

void Tray::remove() { backend_->hide(); }

void Tray::showBalloon(const Balloon& balloon) {
  backend_->showMessage(QString::fromStdString(balloon.title), QString::fromStdString(balloon.text),
                        balloon.timeoutMs);
}

void Tray::onActivated(QSystemTrayIcon::ActivationReason reason) {
  // Left click and double click show the window; the right click's menu is
  // shown by the backend or the desktop (the context menu set above); the
  // middle click and anything else do nothing.
  if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) emit showRequested();
}

}  // namespace hm
