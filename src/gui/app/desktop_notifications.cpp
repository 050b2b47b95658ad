// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/desktop_notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QStringList>

namespace hm {

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
// A notification server answers at once; a bus-started one may take a moment.
constexpr int kCallTimeoutMs = 3000;

}  // namespace

Notification notificationFor(const Balloon& balloon, const NotificationSender& sender, quint32 replacesId) {
  const bool warning = balloon.title == kBalloonTitleWarning;
  Notification n;
  n.appName = sender.appName;
  n.replacesId = replacesId;
  n.icon = warning ? QString::fromLatin1(kWarningIconName) : sender.iconName;
  n.summary = QString::fromStdString(balloon.title);
  n.body = QString::fromStdString(balloon.text);
  n.hints.insert(QStringLiteral("desktop-entry"), sender.desktopEntry);
  n.hints.insert(QStringLiteral("urgency"),
                 QVariant::fromValue(static_cast<uchar>(warning ? Urgency::Critical : Urgency::Normal)));
  n.timeoutMs = balloon.timeoutMs;
  return n;
}

DBusNotificationServer::DBusNotificationServer(QObject* parent) : QObject(parent) {
  QDBusConnection::sessionBus().connect(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                        QString::fromLatin1(kInterface), QStringLiteral("NotificationClosed"),
                                        this, SLOT(onNotificationClosed(quint32, quint32)));
}

std::optional<quint32> DBusNotificationServer::notify(const Notification& n) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    lastError_ = QStringLiteral("no session bus");
    return std::nullopt;
  }
  QDBusMessage call =
      QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                     QString::fromLatin1(kInterface), QStringLiteral("Notify"));
  call << n.appName << n.replacesId << n.icon << n.summary << n.body << QStringList() << n.hints
       << n.timeoutMs;
  const QDBusReply<quint32> reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
  if (!reply.isValid()) {
    lastError_ = reply.error().name() + QStringLiteral(": ") + reply.error().message();
    return std::nullopt;
  }
  return reply.value();
}

void DBusNotificationServer::onNotificationClosed(quint32 id, quint32 /*reason*/) {
  if (closed) closed(id);
}

DesktopNotices::DesktopNotices(NotificationServer* server, NotificationSender sender,
                               std::function<void(const Balloon&)> tray)
    : server_(server), sender_(std::move(sender)), tray_(std::move(tray)) {}

void DesktopNotices::show(const Balloon& balloon) {
  if (server_ != nullptr) {
    if (const auto id = server_->notify(notificationFor(balloon, sender_, shownId_))) {
      shownId_ = *id;
      return;
    }
    shownId_ = 0;
  }
  if (tray_) tray_(balloon);
}

void DesktopNotices::closed(quint32 id) {
  if (id == shownId_) shownId_ = 0;
}

}  // namespace hm
