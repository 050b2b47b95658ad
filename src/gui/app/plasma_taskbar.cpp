// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/plasma_taskbar.h"

#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

#include <QEvent>
#include <QGuiApplication>
#include <cstring>

#include "plasma-shell-client-protocol.h"

namespace hm {

namespace {

// The protocol version of set_skip_taskbar.
constexpr std::uint32_t kSkipTaskbarVersion = 2;

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
  auto** shell = static_cast<org_kde_plasma_shell**>(data);
  if (*shell == nullptr && std::strcmp(interface, org_kde_plasma_shell_interface.name) == 0 &&
      version >= kSkipTaskbarVersion)
    *shell = static_cast<org_kde_plasma_shell*>(
        wl_registry_bind(registry, name, &org_kde_plasma_shell_interface, kSkipTaskbarVersion));
}

void onGlobalRemove(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}

constexpr wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

}  // namespace

std::unique_ptr<PlasmaTaskbarHint> PlasmaTaskbarHint::attach(QWindow* window) {
  if (window == nullptr || !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
    return nullptr;
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  auto* display = native != nullptr
                      ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"))
                      : nullptr;
  if (display == nullptr) return nullptr;
  // The registry is read on a queue of our own, so Qt's dispatching never
  // sees its events, and dropped once the shell is bound.
  wl_event_queue* queue = wl_display_create_queue(display);
  auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue);
  wl_registry* registry = wl_display_get_registry(wrapped);
  wl_proxy_wrapper_destroy(wrapped);
  org_kde_plasma_shell* shell = nullptr;
  wl_registry_add_listener(registry, &kRegistryListener, &shell);
  wl_display_roundtrip_queue(display, queue);
  wl_registry_destroy(registry);
  if (shell == nullptr) {
    wl_event_queue_destroy(queue);
    return nullptr;
  }
  return std::unique_ptr<PlasmaTaskbarHint>(new PlasmaTaskbarHint(window, display, queue, shell));
}

PlasmaTaskbarHint::PlasmaTaskbarHint(QWindow* window, wl_display* display, wl_event_queue* queue,
                                     org_kde_plasma_shell* shell)
    : window_(window), display_(display), queue_(queue), shell_(shell) {
  window->installEventFilter(this);
  // Emitted before the platform hides the window and destroys its surface.
  connect(window, &QWindow::visibleChanged, this, [this](bool visible) {
    if (!visible) dropHint();
  });
  giveHint();
}

PlasmaTaskbarHint::~PlasmaTaskbarHint() {
  if (window_) window_->removeEventFilter(this);
  dropHint();
  org_kde_plasma_shell_destroy(shell_);
  wl_display_flush(display_);
  wl_event_queue_destroy(queue_);
}

void PlasmaTaskbarHint::setSkipTaskbar(bool skip) {
  skip_ = skip;
  if (hint_ != nullptr) {
    org_kde_plasma_surface_set_skip_taskbar(hint_, skip ? 1 : 0);
    wl_display_flush(display_);
  } else {
    giveHint();
  }
}

bool PlasmaTaskbarHint::eventFilter(QObject* watched, QEvent* event) {
  // The first expose of a show comes before its first picture.
  if (watched == window_ && event->type() == QEvent::Expose) giveHint();
  return false;
}

void PlasmaTaskbarHint::giveHint() {
  if (!skip_ || !window_ || !window_->isVisible()) return;
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  auto* surface = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window_));
  if (surface == nullptr || surface == surface_) return;
  dropHint();
  surface_ = surface;
  hint_ = org_kde_plasma_shell_get_surface(shell_, surface);
  org_kde_plasma_surface_set_skip_taskbar(hint_, skip_ ? 1 : 0);
  wl_display_flush(display_);
}

void PlasmaTaskbarHint::dropHint() {
  if (hint_ == nullptr) return;
  // Before the surface it belongs to is destroyed.
  org_kde_plasma_surface_destroy(hint_);
  wl_display_flush(display_);
  hint_ = nullptr;
  surface_ = nullptr;
}

}  // namespace hm
