// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/device/notification_reader.h"

#include <algorithm>
#include <array>

namespace hm {

namespace {
constexpr int kFailedReadRetryMs = 100;
}  // namespace

bool parseNotificationReport(const std::uint8_t* data, std::size_t size, int& type, int& value) {
  if (!data || size <= proto::kNotificationValueByte) return false;
  if (data[0] != proto::kNotificationReportId) return false;
  const int t = data[proto::kNotificationTypeByte];
  if (!proto::isForwardedEvent(t)) return false;
  type = t;
  value = data[proto::kNotificationValueByte];
  return true;
}

NotificationReader::NotificationReader(DeviceLink& link, Callback callback)
    : link_(link), callback_(std::move(callback)), thread_([this] { run(); }) {}

NotificationReader::~NotificationReader() { stop(); }

void NotificationReader::release() {
  if (released_.exchange(true)) return;
  std::lock_guard lock(holdMutex_);
  holdCv_.notify_all();
}

void NotificationReader::wake() { link_.readerEvent().set(); }

void NotificationReader::stop() {
  {
    std::lock_guard lock(holdMutex_);
    stopping_.store(true);
    holdCv_.notify_all();
  }
  link_.readerEvent().set();
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void NotificationReader::run() {
  {
    std::unique_lock lock(holdMutex_);
    holdCv_.wait(lock, [this] { return released_.load() || stopping_.load(); });
  }
  WakeEvent& event = link_.readerEvent();
  std::array<std::uint8_t, proto::kNotificationBufferSize> buf{};
  while (!stopping_.load()) {
    event.reset();
    if (stopping_.load()) break;
    std::shared_ptr<HidDevice> handle = link_.notificationReadHandle();
    if (link_.deviceOpen.load() != 1 || !handle) {
      event.wait();
      continue;
    }
    // The length is taken at every read: a reopened mouse may announce another.
    const std::size_t length = std::min<std::size_t>(link_.notificationInputLength(), buf.size());
    if (length == 0) {
      event.wait();
      continue;
    }
    buf.fill(0);
    const HidReadResult r = handle->read(std::span(buf.data(), length), -1, &event);
    handle.reset();
    if (stopping_.load()) break;
    if (link_.deviceOpen.load() == 0) continue;
    if (r.status != HidReadStatus::Ok || r.bytes == 0) {
      // A failed read is skipped; a handle that keeps failing (the mouse is
      // going away) is retried at a calm pace until the link changes.
      if (r.status == HidReadStatus::Failed) event.wait(kFailedReadRetryMs);
      continue;
    }
    if (const TraceHook& trace = link_.traceHook()) trace("read " + traceHex(std::span(buf.data(), length)));
    // The buffer was zeroed before the read: bytes a short report did not
    // carry count as 0, so "06 07" is a DPI stage event with value 0.
    int type = 0, value = 0;
    if (parseNotificationReport(buf.data(), buf.size(), type, value) && callback_) callback_(type, value);
  }
}

}  // namespace hm
