// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/activation.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

namespace hm {

namespace {

constexpr char kInterface[] = "org.freedesktop.Application";
constexpr char kTokenKey[] = "activation-token";
constexpr char kStartupIdKey[] = "desktop-startup-id";
constexpr int kCallTimeoutMs = 5000;
constexpr unsigned long kRetryMs = 100;
// The socket's request: one line, the word and the token.
constexpr char kActivateWord[] = "activate";

}  // namespace

QString busNameForDesktopId(const QString& desktopId) {
  QString name = desktopId;
  if (name.endsWith(QLatin1String(".desktop"))) name.chop(8);
  name.replace(QLatin1Char('-'), QLatin1Char('_'));
  return name;
}

QString objectPathForBusName(const QString& busName) {
  return QLatin1Char('/') + QString(busName).replace(QLatin1Char('.'), QLatin1Char('/'));
}

QVariantMap launchPlatformData() {
  QVariantMap data;
  if (const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN"); !token.isEmpty())
    data.insert(QString::fromLatin1(kTokenKey), token);
  if (const QString id = qEnvironmentVariable("DESKTOP_STARTUP_ID"); !id.isEmpty())
    data.insert(QString::fromLatin1(kStartupIdKey), id);
  return data;
}

QString activationToken(const QVariantMap& platformData) {
  const QString token = platformData.value(QString::fromLatin1(kTokenKey)).toString();
  return token.isEmpty() ? platformData.value(QString::fromLatin1(kStartupIdKey)).toString() : token;
}

ActivationServer::ActivationServer(QObject* parent) : QObject(parent) {}

ActivationServer::~ActivationServer() {
  if (!busName_.isEmpty()) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(objectPathForBusName(busName_));
    bus.unregisterService(busName_);
  }
}

bool ActivationServer::listenOnBus(const QString& busName) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    error_ = QStringLiteral("no session bus: ") + bus.lastError().message();
    return false;
  }
  if (!bus.registerObject(objectPathForBusName(busName), this, QDBusConnection::ExportScriptableSlots)) {
    error_ = QStringLiteral("cannot register the object ") + objectPathForBusName(busName);
    return false;
  }
  if (!bus.registerService(busName)) {
    error_ =
        QStringLiteral("cannot own the name ") + busName + QStringLiteral(": ") + bus.lastError().message();
    bus.unregisterObject(objectPathForBusName(busName));
    return false;
  }
  busName_ = busName;
  return true;
}

bool ActivationServer::listenOnSocket(const QString& folder) {
  socket_ = std::make_unique<QLocalServer>();
  socket_->setSocketOptions(QLocalServer::UserAccessOption);
  const QString path = folder + QLatin1Char('/') + QString::fromLatin1(kActivationSocketName);
  // Only the lock's holder gets here: a socket file there is a dead run's.
  QLocalServer::removeServer(path);
  if (!socket_->listen(path)) {
    error_ = QStringLiteral("cannot listen on ") + path + QStringLiteral(": ") + socket_->errorString();
    socket_.reset();
    return false;
  }
  connect(socket_.get(), &QLocalServer::newConnection, this, &ActivationServer::onSocketConnection);
  return true;
}

void ActivationServer::onSocketConnection() {
  while (QLocalSocket* peer = socket_->nextPendingConnection()) {
    connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
    connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
      while (peer->canReadLine()) {
        const QString line = QString::fromUtf8(peer->readLine()).trimmed();
        const QString word = line.section(QLatin1Char(' '), 0, 0);
        if (word == QLatin1String(kActivateWord)) emit activated(line.section(QLatin1Char(' '), 1));
        peer->write("ok\n");
      }
    });
  }
}

void ActivationServer::Activate(const QVariantMap& platformData) {
  emit activated(activationToken(platformData));
}

void ActivationServer::Open(const QStringList& /*uris*/, const QVariantMap& platformData) {
  // The program opens no files: opening is showing the window.
  Activate(platformData);
}

void ActivationServer::ActivateAction(const QString& name, const QVariantList& /*parameter*/,
                                      const QVariantMap& /*platformData*/) {
  if (name == QLatin1String(kExitAction)) emit exitRequested();
}

namespace {

// One try over the bus, then over the socket; empty on success.
QString tryActivation(const QString& busName, const QString& socketFolder, const QVariantMap& platformData) {
  QString failure;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected() && bus.interface()->isServiceRegistered(busName)) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        busName, objectPathForBusName(busName), QString::fromLatin1(kInterface), QStringLiteral("Activate"));
    call << platformData;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) return {};
    failure = busName + QStringLiteral(": ") + reply.errorMessage() + QStringLiteral("; ");
  }
  QLocalSocket socket;
  socket.connectToServer(socketFolder + QLatin1Char('/') + QString::fromLatin1(kActivationSocketName));
  if (socket.waitForConnected(kCallTimeoutMs)) {
    socket.write(QByteArray(kActivateWord) + ' ' + activationToken(platformData).toUtf8() + '\n');
    if (socket.waitForBytesWritten(kCallTimeoutMs) && socket.waitForReadyRead(kCallTimeoutMs) &&
        socket.readLine().startsWith("ok"))
      return {};
  }
  return failure + socket.fullServerName() + QStringLiteral(": ") + socket.errorString();
}

}  // namespace

QString requestActivation(const QString& busName, const QString& socketFolder,
                          const QVariantMap& platformData, int waitMs) {
  // The lock's holder may still be starting (the login's copy and a click
  // on the menu entry): it answers once its window is made.
  QDeadlineTimer deadline(waitMs);
  for (;;) {
    QString failure = tryActivation(busName, socketFolder, platformData);
    if (failure.isEmpty() || deadline.hasExpired()) return failure;
    QThread::msleep(kRetryMs);
  }
}

}  // namespace hm
