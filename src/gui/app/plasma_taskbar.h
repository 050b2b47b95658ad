// SPDX-License-Identifier: GPL-3.0-or-later
// No taskbar entry for the window under KWin's Wayland session. On X11 the
// tool-window flag says so; Wayland has no standard way, and KWin takes it
// through its plasma-shell protocol instead: an org_kde_plasma_surface on the
// window's wl_surface, with set_skip_taskbar. Qt makes a new wl_surface each
// time the window is shown and destroys it when it is hidden, so the hint is
// given again at every show (on the first expose, before the first picture),
// and taken away before the surface goes. Other compositors have no such
// protocol and get nothing; the window's position is theirs to choose.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>
#include <memory>

struct wl_display;
struct wl_event_queue;
struct wl_surface;
struct org_kde_plasma_shell;
struct org_kde_plasma_surface;

namespace hm {

class PlasmaTaskbarHint : public QObject {
  Q_OBJECT
 public:
  // nullptr unless Qt runs on Wayland and the compositor offers the protocol.
  static std::unique_ptr<PlasmaTaskbarHint> attach(QWindow* window);
  ~PlasmaTaskbarHint() override;
  PlasmaTaskbarHint(const PlasmaTaskbarHint&) = delete;
  PlasmaTaskbarHint& operator=(const PlasmaTaskbarHint&) = delete;

  // Whether the window stays off the taskbar (now, if shown, and at later shows).
  void setSkipTaskbar(bool skip);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  PlasmaTaskbarHint(QWindow* window, wl_display* display, wl_event_queue* queue, org_kde_plasma_shell* shell);
  void giveHint();
  void dropHint();

  QPointer<QWindow> window_;
  wl_display* display_;
  wl_event_queue* queue_;
  org_kde_plasma_shell* shell_;
  wl_surface* surface_ = nullptr;  // the window's surface the hint is on
  org_kde_plasma_surface* hint_ = nullptr;
  bool skip_ = false;
};

}  // namespace hm
