// SPDX-License-Identifier: GPL-3.0-or-later
// NotificationReader: the one background thread. It reads the notification
// collection's input reports and forwards the mouse's events (report ID 6,
// type 5, 7, 8 or 9: report byte 1 = type, byte 3 = value) to a callback;
// other reports are dropped. Each read goes into a zeroed 40-byte buffer, so
// a report shorter than 4 bytes reads as if its missing bytes were 0.
//
// The thread is created held: it does nothing until release() is called,
// which lets it run (once; later calls do nothing). It then loops: reset the
// link's reader event; while deviceOpen is not 1 or no notification handle is
// open, wait for that event; otherwise read one report with a read that the
// event wakes, and forward it when deviceOpen is still 1. stop() (also run by
// the destructor) ends the thread cleanly, held or running.
//
// The callback runs on the reader thread, synchronously: the next read starts
// only after it has returned. The GUI marshals it to its UI thread with a
// blocking queued call; it must not call stop() from inside the callback.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "core/device/device_link.h"

namespace hm {

class NotificationReader {
 public:
  using Callback = std::function<void(int type, int value)>;

  // `link` must outlive the reader.
  NotificationReader(DeviceLink& link, Callback callback);
  ~NotificationReader();
  NotificationReader(const NotificationReader&) = delete;
  NotificationReader& operator=(const NotificationReader&) = delete;

  // Lets the held thread run; only the first call counts.
  void release();
  bool released() const { return released_.load(); }
  // Makes the reader re-check the link (sets the reader event). Any thread.
  void wake();
  // Ends the thread and waits for it. Idempotent.
  void stop();

 private:
  void run();

  DeviceLink& link_;
  Callback callback_;
  std::atomic<bool> released_{false};
  std::atomic<bool> stopping_{false};
  std::mutex holdMutex_;
  std::condition_variable holdCv_;
  std::thread thread_;
};

// Parses one notification report (report ID first). Returns true and sets
// type and value when it is a report of ID 6 with a forwarded type.
bool parseNotificationReport(const std::uint8_t* data, std::size_t size, int& type, int& value);

}  // namespace hm
