// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/activation.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <string>

#include "platform/local_socket.h"

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

// An accepted connection and the notifier that tells when it has more.
struct ActivationServer::Peer {
  explicit Peer(int fd) : connection(fd), notifier(fd, QSocketNotifier::Read) {}
  LocalConnection connection;
  QSocketNotifier notifier;
};

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
  const QString path = folder + QLatin1Char('/') + QString::fromLatin1(kActivationSocketName);
  auto socket = std::make_unique<LocalSocketServer>();
  if (const Status listening = socket->listen(QFile::encodeName(path).toStdString()); !listening) {
    error_ = QStringLiteral("cannot listen on ") + path + QStringLiteral(": ") +
             QString::fromStdString(listening.error().text());
    return false;
  }
  socket_ = std::move(socket);
  socketNotifier_ = std::make_unique<QSocketNotifier>(socket_->fd(), QSocketNotifier::Read);
  connect(socketNotifier_.get(), &QSocketNotifier::activated, this, &ActivationServer::onSocketConnection);
  return true;
}

void ActivationServer::onSocketConnection() {
  for (;;) {
    const Result<int> peer = socket_->accept();
    if (!peer) {
      // No more connections can be taken (out of descriptors): stop
      // listening rather than being woken for them again and again.
      error_ = QString::fromStdString(peer.error().text());
      socketNotifier_->setEnabled(false);
      return;
    }
    if (peer.value() < 0) return;
    const int fd = peer.value();
    auto& added = peers_[fd] = std::make_unique<Peer>(fd);
    connect(&added->notifier, &QSocketNotifier::activated, this, [this, fd] { onPeerReadable(fd); });
  }
}

void ActivationServer::onPeerReadable(int fd) {
  auto it = peers_.find(fd);
  if (it == peers_.end()) return;
  const LocalConnection::Received got = it->second->connection.receive();
  // The request: one line, the word and the token. Every line is answered,
  // once the window has taken it.
  for (const std::string& received : got.lines) {
    const QString line = QString::fromStdString(received).trimmed();
    const QString word = line.section(QLatin1Char(' '), 0, 0);
    if (word == QLatin1String(kActivateWord)) emit activated(line.section(QLatin1Char(' '), 1));
    // Showing the window can run an event loop of its own (a start-up
    // message), in which this connection may have ended.
    it = peers_.find(fd);
    if (it == peers_.end()) return;
    static_cast<void>(it->second->connection.send("ok\n"));
  }
  if (got.open) return;
  it->second->notifier.setEnabled(false);
  // The notifier may be inside its own signal: it goes, with the
  // connection, once control is back in the event loop.
  QMetaObject::invokeMethod(
      this, [closed = std::shared_ptr<Peer>(std::move(it->second))] {}, Qt::QueuedConnection);
  peers_.erase(it);
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
  const QString path = socketFolder + QLatin1Char('/') + QString::fromLatin1(kActivationSocketName);
  const QByteArray request = QByteArray(kActivateWord) + ' ' + activationToken(platformData).toUtf8();
  const Result<std::string> answer =
      askLocalSocket(QFile::encodeName(path).toStdString(), request.toStdString(), kCallTimeoutMs);
  if (!answer) return failure + QString::fromStdString(answer.error().text());
  if (answer.value().starts_with("ok")) return {};
  return failure + path + QStringLiteral(": answered \"") + QString::fromStdString(answer.value()) +
         QLatin1Char('"');
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
