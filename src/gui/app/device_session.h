// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the mouse: the device link, the notification
// reader thread with the hand-over of its events to the UI thread, and the
// device-change monitor with its socket notifier.
//
// Start-up runs openMouse, startReader and startMonitor in this order (the
// window puts its own steps between them). The reader is created held and
// let run once the mouse is open, at start or at a later arrival.
//
// Reader events are handed to the UI thread and the reader waits until they
// have been handled there, as a synchronous window message would; stop()
// releases a waiting reader at once. Handlers run on the UI thread only.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "core/device/device_link.h"

namespace hm {

class HidBackend;
class HidMonitor;
class MessageSink;
class NotificationReader;
class Sleeper;

inline constexpr char kCreateEventFailedText[] = "CreateEvent failed.";
inline constexpr char kRegisterNotificationFailedText[] = "RegisterDeviceNotification failed!!!";

class DeviceSession {
 public:
  struct Handlers {
    std::function<void(int type, int value)> event;  // a reader event (types 5, 7, 8, 9, 15)
    std::function<void()> mouseGone;                 // the mouse was removed
    std::function<bool()> basicPageShown;            // the Basic page was shown in this run
    std::function<void()> mouseOpened;               // a device change opened the mouse
  };
  using Log = std::function<void(const std::string&)>;

  // backend, messages and sleeper outlive the session; log may be empty.
  DeviceSession(HidBackend& backend, MessageSink& messages, Sleeper& sleeper, Log log);
  ~DeviceSession();
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  void setHandlers(Handlers handlers) { handlers_ = std::move(handlers); }

  // ---- start-up, in this order ----
  // openMouse; true when the mouse is open (the caller warns otherwise).
  bool openMouse();
  // The reader thread, held until the mouse is open. False (with the message
  // "CreateEvent failed.") when no thread can be made.
  bool startReader();
  // Device arrival and removal. False (with "RegisterDeviceNotification
  // failed!!!") when the system gives no notifications.
  bool startMonitor();

  // Handles the monitor's waiting events (the socket notifier runs it).
  void pollMonitor();
  // Ends the reader (a reader waiting for its event's hand-over goes on at
  // once), stops the monitor's notifications and closes the mouse.
  // Idempotent; nothing is handed over afterwards.
  void stop();

  DeviceLink& link() { return *link_; }
  const DeviceLink& link() const { return *link_; }
  bool deviceOpen() const { return link_->deviceOpen.load() == 1; }
  bool hasReader() const { return reader_ != nullptr; }
  bool readerReleased() const;

 private:
  void onReaderEvent(int type, int value);  // reader thread
  void log(const std::string& line) const;

  HidBackend& backend_;
  MessageSink& messages_;
  Log log_;
  Handlers handlers_;
  std::unique_ptr<DeviceLink> link_;
  std::unique_ptr<HidMonitor> monitor_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::unique_ptr<NotificationReader> reader_;
  bool stopped_ = false;

  // Lives on the UI thread: the reader's events are queued to it.
  QObject uiThread_;
  // Device events from the reader thread wait here until the UI thread has
  // handled them (or the session is stopping).
  std::mutex eventMutex_;
  std::condition_variable eventDone_;
  std::uint64_t eventsPosted_ = 0;
  std::uint64_t eventsHandled_ = 0;
  std::atomic<bool> closing_{false};
};

}  // namespace hm
