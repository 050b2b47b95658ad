// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/tray.h"

#include <xcb/xcb.h>

#include <QAction>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cstdlib>

namespace hm {

namespace {

constexpr int kIconSizes[] = {16, 22, 32, 48, 64};
constexpr char kWatcherService[] = "org.kde.StatusNotifierWatcher";
constexpr char kWatcherPath[] = "/StatusNotifierWatcher";
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

// A StatusNotifier host registered with the session's watcher.
bool statusNotifierHostRegistered() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  const QString service = QString::fromLatin1(kWatcherService);
  if (!bus.isConnected() || !bus.interface()->isServiceRegistered(service)) return false;
  QDBusMessage get = QDBusMessage::createMethodCall(service, QString::fromLatin1(kWatcherPath),
                                                    QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"));
  get << service << QStringLiteral("IsStatusNotifierHostRegistered");
  const QDBusReply<QDBusVariant> reply = bus.call(get);
  return reply.isValid() && reply.value().variant().toBool();
}

// An XEmbed tray on the X server: an owner of the first screen's tray selection.
// The X server's connection when the platform is X11 and it is sound.
xcb_connection_t* x11Connection() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  return connection != nullptr && xcb_connection_has_error(connection) == 0 ? connection : nullptr;
}

bool xembedTrayPresent() {
  xcb_connection_t* connection = x11Connection();
  if (connection == nullptr) return false;
  static constexpr char kSelection[] = "_NET_SYSTEM_TRAY_S0";
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, sizeof kSelection - 1, kSelection), nullptr);
  if (atom == nullptr) return false;
  xcb_get_selection_owner_reply_t* owner =
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
  const bool present = owner != nullptr && owner->owner != XCB_NONE;
  std::free(owner);
  std::free(atom);
  return present;
}

}  // namespace

SystemTrayBackend::SystemTrayBackend(QObject* parent) : TrayIconBackend(parent) {
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
  // A watcher that starts later, or a host it announces, is taken at once.
  QDBusConnection bus = QDBusConnection::sessionBus();
  const QString watcher = QString::fromLatin1(kWatcherService);
  bus.connect(watcher, QString::fromLatin1(kWatcherPath), watcher,
              QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(lookForTray()));
  if (bus.isConnected()) {
    watcherOwner_.setConnection(bus);
    watcherOwner_.setWatchMode(QDBusServiceWatcher::WatchForRegistration);
    watcherOwner_.addWatchedService(watcher);
    connect(&watcherOwner_, &QDBusServiceWatcher::serviceRegistered, this, &SystemTrayBackend::lookForTray);
  }
  // A new XEmbed tray sends MANAGER to the root window, whose structure
  // events Qt's X11 platform already selects.
  if (xcb_connection_t* connection = x11Connection()) {
    static constexpr char kManager[] = "MANAGER";
    managerCookie_ = xcb_intern_atom(connection, 0, sizeof kManager - 1, kManager).sequence;
    managerAsked_ = true;
    if (QCoreApplication* app = QCoreApplication::instance()) app->installNativeEventFilter(this);
  }
}

bool SystemTrayBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
  if (managerAsked_) {
    managerAsked_ = false;
    if (xcb_connection_t* connection = x11Connection()) {
      xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, {managerCookie_}, nullptr);
      if (reply != nullptr) managerAtom_ = reply->atom;
      std::free(reply);
    }
  }
  const auto* client = static_cast<const xcb_client_message_event_t*>(message);
  if (managerAtom_ != 0 && client->type == managerAtom_ && !trayIcon_ && wanted_)
    QMetaObject::invokeMethod(this, &SystemTrayBackend::lookForTray, Qt::QueuedConnection);
  return false;
}

bool SystemTrayBackend::trayPresent() const { return statusNotifierHostRegistered() || xembedTrayPresent(); }

void SystemTrayBackend::lookForTray() {
  if (trayIcon_ || !wanted_ || !trayPresent()) return;
  makeIcon();
  trayIcon_->show();
  emit availableChanged();
}

void SystemTrayBackend::makeIcon() {
  if (trayIcon_) return;
  trayIcon_ = std::make_unique<QSystemTrayIcon>(icon_);
  trayIcon_->setToolTip(tip_);
  trayIcon_->setContextMenu(menu_);
  connect(trayIcon_.get(), &QSystemTrayIcon::activated, this, &TrayIconBackend::activated);
}

SystemTrayBackend::~SystemTrayBackend() {
  if (QCoreApplication* app = QCoreApplication::instance()) {
    app->removeEventFilter(this);
    app->removeNativeEventFilter(this);
  }
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

// Once made, the icon stays: a tray that goes away and comes back takes it
// again by itself.
bool SystemTrayBackend::available() const { return trayIcon_ != nullptr || trayPresent(); }
void SystemTrayBackend::setIcon(const QIcon& icon) {
  icon_ = icon;
  if (trayIcon_) trayIcon_->setIcon(icon);
}
void SystemTrayBackend::setToolTip(const QString& tip) {
  tip_ = tip;
  if (trayIcon_) trayIcon_->setToolTip(tip);
}
void SystemTrayBackend::setContextMenu(QMenu* menu) {
  menu_ = menu;
  if (trayIcon_) trayIcon_->setContextMenu(menu);
}
void SystemTrayBackend::show() {
  wanted_ = true;
  if (!trayIcon_ && !trayPresent()) return;  // made when a tray appears
  makeIcon();
  trayIcon_->show();
}
void SystemTrayBackend::hide() {
  wanted_ = false;
  if (trayIcon_) trayIcon_->hide();
}
bool SystemTrayBackend::visible() const { return trayIcon_ && trayIcon_->isVisible(); }
void SystemTrayBackend::showMessage(const QString& title, const QString& text, int timeoutMs) {
  if (trayIcon_) trayIcon_->showMessage(title, text, QSystemTrayIcon::Information, timeoutMs);
}

QIcon applicationIcon() {
  QIcon icon;
  for (int size : kIconSizes) icon.addPixmap(drawIcon(size));
  return icon;
}

Tray::Tray(std::unique_ptr<TrayIconBackend> backend, const QString& exitText, const QIcon& icon,
           QObject* parent)
    : QObject(parent), backend_(std::move(backend)) {
  exitAction_ = menu_.addAction(exitText);
  connect(exitAction_, &QAction::triggered, this, &Tray::exitRequested);
  connect(backend_.get(), &TrayIconBackend::activated, this, &Tray::onActivated);
  connect(backend_.get(), &TrayIconBackend::availableChanged, this, &Tray::appeared);
  backend_->setIcon(icon);
  backend_->setToolTip(QString::fromLatin1(kTrayTip));
  backend_->setContextMenu(&menu_);
}

Tray::~Tray() { remove(); }

void Tray::add() { backend_->show(); }

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
