// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon: the program's way back to its hidden window and the place
// of its balloons. The icon itself sits behind TrayIconBackend so tests can
// click it and read its balloons without a desktop.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <memory>

#include "core/model/tray_balloons.h"

class QAction;

namespace hm {

inline constexpr char kTrayTip[] = "Gaming mouse setting";

// What the tray needs of the desktop.
class TrayIconBackend : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  ~TrayIconBackend() override = default;
  // False when the desktop has no tray: nothing could show the window then.
  virtual bool available() const = 0;
  virtual void setIcon(const QIcon& icon) = 0;
  virtual void setToolTip(const QString& tip) = 0;
  // The menu of a right click (not owned).
  virtual void setContextMenu(QMenu* menu) = 0;
  // Shows the icon; without a tray, shows it once a tray appears.
  virtual void show() = 0;
  virtual void hide() = 0;
  virtual bool visible() const = 0;
  virtual void showMessage(const QString& title, const QString& text, int timeoutMs) = 0;
 signals:
  void activated(QSystemTrayIcon::ActivationReason reason);
  // A tray appeared after the start; available() is now true.
  void availableChanged();
};

// The desktop's tray through QSystemTrayIcon.
//
// The icon acts when a button is released over it, not when it is pressed.
// Where the icon is Qt's own X11 tray window (the XEmbed tray of X desktops
// without a StatusNotifier host), Qt reports a press as the activation and
// pops the menu up on the right press; that window's presses and double
// clicks are taken away here, and its releases over the icon report the
// activation instead (left: Trigger, right: the menu and Context, middle:
// MiddleClick). Where a StatusNotifier host shows the icon (over D-Bus),
// the host decides when to activate it and shows the menu itself; its
// activations are passed on as they come.
//
// Qt looks for a StatusNotifier host once per run, when its first tray icon
// is made, and keeps the answer. So the icon is made only once a tray is
// there, found by asking the bus (a StatusNotifier host registered with the
// watcher) and the X server (an owner of the XEmbed tray selection): at the
// start, then whenever the watcher's name gets an owner or the watcher
// announces a host, and whenever a new XEmbed tray announces itself (the
// MANAGER message every tray sends to the root window). Nothing is polled:
// a window waiting for a tray wakes only when something happens.
class SystemTrayBackend : public TrayIconBackend, private QAbstractNativeEventFilter {
  Q_OBJECT
 public:
  // The object name of Qt's X11 tray icon window.
  static constexpr char kXEmbedIconWindow[] = "QSystemTrayIconSys";

  explicit SystemTrayBackend(QObject* parent = nullptr);
  ~SystemTrayBackend() override;
  bool available() const override;
  void setIcon(const QIcon& icon) override;
  void setToolTip(const QString& tip) override;
  void setContextMenu(QMenu* menu) override;
  void show() override;
  void hide() override;
  bool visible() const override;
  void showMessage(const QString& title, const QString& text, int timeoutMs) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Looks for a tray when an XEmbed tray's MANAGER message arrives.
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private slots:
  // Makes and shows the waiting icon when a tray is there now.
  void lookForTray();

 private:
  bool trayPresent() const;
  void makeIcon();

  std::unique_ptr<QSystemTrayIcon> trayIcon_;
  QIcon icon_;
  QString tip_;
  QPointer<QMenu> menu_;
  bool wanted_ = false;
  QDBusServiceWatcher watcherOwner_;
  // The MANAGER atom: asked for at construction, its reply taken at the
  // first client message (no round trip at start).
  unsigned managerCookie_ = 0;
  unsigned managerAtom_ = 0;
  bool managerAsked_ = false;
};

// No tray at all (screenshot runs): nothing is shown, available() is false.
class NoTrayBackend : public TrayIconBackend {
  Q_OBJECT
 public:
  using TrayIconBackend::TrayIconBackend;
  bool available() const override { return false; }
  void setIcon(const QIcon&) override {}
  void setToolTip(const QString&) override {}
  void setContextMenu(QMenu*) override {}
  void show() override {}
  void hide() override {}
  bool visible() const override { return false; }
  void showMessage(const QString&, const QString&, int) override {}
};

// The application's icon (window and tray), drawn by the program.
QIcon applicationIcon();

// The tray icon of the main window: icon, tip, the one-item menu "Exit",
// clicks and balloons.
class Tray : public QObject {
  Q_OBJECT
 public:
  // exitText: the language's "Exit"; icon: applicationIcon(), made once for
  // the window and the tray.
  Tray(std::unique_ptr<TrayIconBackend> backend, const QString& exitText, const QIcon& icon,
       QObject* parent = nullptr);
  ~Tray() override;

  // Adds the icon to the tray (start-up) / removes it (shutdown).
  void add();
  void remove();
  bool available() const { return backend_->available(); }

  void showBalloon(const Balloon& balloon);

  TrayIconBackend& backend() { return *backend_; }
  QMenu& menu() { return menu_; }
  QAction* exitAction() const { return exitAction_; }

 signals:
  // Left click or double click on the icon.
  void showRequested();
  // The menu's "Exit".
  void exitRequested();
  // A tray appeared after the start and shows the icon.
  void appeared();

 private:
  void onActivated(QSystemTrayIcon::ActivationReason reason);

  std::unique_ptr<TrayIconBackend> backend_;
  QMenu menu_;
  QAction* exitAction_ = nullptr;
};

}  // namespace hm
