// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse's events as desktop notifications: each balloon goes to the
// session's notification server (org.freedesktop.Notifications) whenever one
// answers, with or without a tray; the tray's balloon is the fallback.
//
// Like the tray's one balloon, one bubble at a time: a notification replaces
// the one shown before it, so a burst of DPI switches updates one bubble
// instead of stacking them.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <optional>

#include "core/model/tray_balloons.h"

namespace hm {

// Who sends the notifications, as the desktop entry names the program.
struct NotificationSender {
  QString appName;       // the entry's Name
  QString iconName;      // the entry's Icon
  QString desktopEntry;  // the entry's ID (the file name without ".desktop")
};

// The urgency levels of the notification protocol.
enum class Urgency : unsigned char { Low = 0, Normal = 1, Critical = 2 };
inline constexpr char kWarningIconName[] = "dialog-warning";

// One Notify call's arguments.
struct Notification {
  QString appName;
  quint32 replacesId = 0;
  QString icon;
  QString summary;
  QString body;
  QVariantMap hints;
  int timeoutMs = 0;
};

// The notification of a balloon: the sender's name, icon and desktop entry;
// a warning balloon with the warning icon and critical urgency, the others
// with normal urgency; the balloon's title, text and time-out.
Notification notificationFor(const Balloon& balloon, const NotificationSender& sender, quint32 replacesId);

// The desktop's notification server.
class NotificationServer {
 public:
  virtual ~NotificationServer() = default;
  // The id of the shown notification; nothing when no server took it.
  virtual std::optional<quint32> notify(const Notification& n) = 0;
  // Called when the server closed a notification (expired or dismissed).
  std::function<void(quint32 id)> closed;
};

// The server on the session bus. A server that is not running but can be
// started by the bus is started by the call.
class DBusNotificationServer : public QObject, public NotificationServer {
  Q_OBJECT
 public:
  explicit DBusNotificationServer(QObject* parent = nullptr);
  std::optional<quint32> notify(const Notification& n) override;
  // Diagnostic line of the last failed call (--verbose).
  const QString& lastError() const { return lastError_; }
 private slots:
  void onNotificationClosed(quint32 id, quint32 reason);

 private:
  QString lastError_;
};

// Routes each balloon: to the notification server, else to the tray.
class DesktopNotices {
 public:
  // server may be null (no session bus): every balloon goes to the tray.
  DesktopNotices(NotificationServer* server, NotificationSender sender,
                 std::function<void(const Balloon&)> tray);
  void show(const Balloon& balloon);
  // The server closed a notification (expired or dismissed).
  void closed(quint32 id);

 private:
  NotificationServer* server_;
  NotificationSender sender_;
  std::function<void(const Balloon&)> tray_;
  quint32 shownId_ = 0;
};

}  // namespace hm
