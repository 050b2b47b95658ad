// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/device_session.h"

#include <system_error>

#include "core/device/device_change.h"
#include "core/device/notification_reader.h"
#include "core/settings/message_sink.h"
#include "core/wire/protocol.h"

namespace hm {

DeviceSession::DeviceSession(HidBackend& backend, MessageSink& messages, Sleeper& sleeper, Log log)
    : backend_(backend), messages_(messages), log_(std::move(log)) {
  link_ = std::make_unique<DeviceLink>(backend_, messages_, sleeper);
  if (log_) link_->setLog([this](const std::string& text) { this->log(text); });
}

DeviceSession::~DeviceSession() {
  stop();
  reader_.reset();
  notifier_.reset();  // before the monitor closes its descriptor
  monitor_.reset();
}

bool DeviceSession::openMouse() { return link_->openMouse() == 1; }

bool DeviceSession::startReader() {
  try {
    reader_ = std::make_unique<NotificationReader>(
        *link_, [this](int type, int value) { onReaderEvent(type, value); });
  } catch (const std::system_error& e) {
    log(std::string("std::thread: ") + e.what() + " (errno " + std::to_string(e.code().value()) + ")\n");
    messages_.showMessage(kCreateEventFailedText, "");
    return false;
  }
  if (deviceOpen()) reader_->release();
  return true;
}

bool DeviceSession::startMonitor() {
  monitor_ = backend_.openMonitor();
  if (!monitor_) {
    log("openMonitor: " + backend_.lastError().text() + "\n");
    messages_.showMessage(kRegisterNotificationFailedText, "");
    return false;
  }
  notifier_ = std::make_unique<QSocketNotifier>(monitor_->fd(), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, &uiThread_, [this] { pollMonitor(); });
  return true;
}

void DeviceSession::pollMonitor() {
  if (!monitor_ || stopped_) return;
  for (const HidDeviceEvent& ev : monitor_->drain()) {
    const bool basicShown = handlers_.basicPageShown && handlers_.basicPageShown();
    const DeviceChangeAction action =
        handleDeviceChange(*link_, deviceChangeCode(ev.kind), proto::kDeviceTypeInterface, ev.path,
                           basicShown, reader_ != nullptr && !reader_->released());
    switch (action.kind) {
      case DeviceChangeKind::Ignored: break;
      case DeviceChangeKind::WarnAndHide:
        if (handlers_.mouseGone) handlers_.mouseGone();
        break;
      case DeviceChangeKind::Opened:
        // A reader still held runs from the first successful open on, also
        // when the Basic page was shown while the mouse was missing (it
        // would otherwise never read).
        if (reader_) reader_->release();
        if (handlers_.mouseOpened) handlers_.mouseOpened();
        break;
    }
  }
}

void DeviceSession::stop() {
  if (stopped_) return;
  stopped_ = true;
  {
    std::lock_guard lock(eventMutex_);
    closing_ = true;
  }
  eventDone_.notify_all();
  if (reader_) reader_->stop();
  if (notifier_) notifier_->setEnabled(false);
  link_->close();
}

bool DeviceSession::readerReleased() const { return reader_ && reader_->released(); }

void DeviceSession::onReaderEvent(int type, int value) {
  // Runs on the reader thread: hand the event to the UI thread and wait
  // until it has been handled there.
  std::uint64_t seq = 0;
  {
    std::lock_guard lock(eventMutex_);
    if (closing_) return;
    seq = ++eventsPosted_;
  }
  QMetaObject::invokeMethod(
      &uiThread_,
      [this, type, value, seq] {
        if (!closing_ && handlers_.event) handlers_.event(type, value);
        {
          std::lock_guard lock(eventMutex_);
          if (seq > eventsHandled_) eventsHandled_ = seq;
        }
        eventDone_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(eventMutex_);
  eventDone_.wait(lock, [&] { return eventsHandled_ >= seq || closing_; });
}

void DeviceSession::log(const std::string& line) const {
  if (log_) log_(line);
}

}  // namespace hm
