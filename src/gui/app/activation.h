// SPDX-License-Identifier: GPL-3.0-or-later
// Activation: the running copy is the one that shows the window. It owns a
// session-bus name made from the desktop file's ID and answers the desktop's
// org.freedesktop.Application interface (Activate shows and raises the
// window; the action "exit" ends the program). A second start hands its
// request, with the activation token that lets a Wayland compositor raise the
// window, to the running copy and ends. Without a session bus a local socket
// beside the single-instance lock carries the same request.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <map>
#include <memory>

class QSocketNotifier;

namespace hm {

class LocalConnection;
class LocalSocketServer;

// The bus name of a desktop file's ID ("org.example.App" as it is; a '-' in
// an element becomes '_') and the object path of a bus name
// ("/org/example/App").
QString busNameForDesktopId(const QString& desktopId);
QString objectPathForBusName(const QString& busName);

// The platform data of a start: the compositor's activation token
// (XDG_ACTIVATION_TOKEN) and the X11 start-up id (DESKTOP_STARTUP_ID), each
// when set. The running copy raises its window with them.
QVariantMap launchPlatformData();
// The activation token in platform data ("activation-token", else
// "desktop-startup-id"); empty when there is none.
QString activationToken(const QVariantMap& platformData);

// The socket's name in the runtime folder.
inline constexpr char kActivationSocketName[] = "hidmouse-activate";
inline constexpr char kExitAction[] = "exit";

// The running copy's side.
class ActivationServer : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
 public:
  explicit ActivationServer(QObject* parent = nullptr);
  ~ActivationServer() override;

  // Owns busName on the session bus with the interface at its object path;
  // false (with error()) when there is no bus or the name is taken.
  bool listenOnBus(const QString& busName);
  // Listens on the socket folder + "/" + kActivationSocketName; a socket left
  // by an ended run is replaced. Only the user can connect to it.
  bool listenOnSocket(const QString& folder);
  const QString& error() const { return error_; }

  // org.freedesktop.Application
 public slots:
  Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
  Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);
  Q_SCRIPTABLE void ActivateAction(const QString& name, const QVariantList& parameter,
                                   const QVariantMap& platformData);

 signals:
  // Show and raise the window; token: the compositor's activation token, if any.
  void activated(const QString& token);
  void exitRequested();

 private:
  struct Peer;
  void onSocketConnection();
  void onPeerReadable(int fd);

  QString busName_;
  std::unique_ptr<LocalSocketServer> socket_;
  std::unique_ptr<QSocketNotifier> socketNotifier_;
  std::map<int, std::unique_ptr<Peer>> peers_;  // by the connection's fd
  QString error_;
};

// The second start's side: hands the request to the running copy, over the
// bus when its name has an owner, else over the socket in folder, trying
// again for waitMs while the running copy is still starting. Empty on
// success, else what failed.
inline constexpr int kActivationWaitMs = 10000;
QString requestActivation(const QString& busName, const QString& socketFolder,
                          const QVariantMap& platformData, int waitMs = kActivationWaitMs);

}  // namespace hm
