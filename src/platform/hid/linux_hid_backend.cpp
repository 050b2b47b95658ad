// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/linux_hid_backend.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "core/device/wake_event.h"
#include "core/error.h"
#include "platform/hid/hidraw_framing.h"
#include "platform/hid/hidraw_syscalls.h"
#include "platform/hid/report_descriptor.h"

namespace hm {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSubsystem = "hidraw";
constexpr const char* kCollectionSuffix = "&col";
constexpr int kCollectionDigits = 2;
// The largest report hidraw hands out (HID_MAX_BUFFER_SIZE) plus the ID byte
// we may prepend.
constexpr std::size_t kMaxRawReport = 16384 + 1;
constexpr const char* kUdevActionAdd = "add";
constexpr const char* kUdevActionRemove = "remove";

struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
  void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

// nullopt when the file cannot be read. The files of a device being removed
// are still there for a moment but fail to read (ENODEV), and the stream's
// buffer reports that by throwing.
std::optional<std::vector<std::uint8_t>> readFileBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return std::nullopt;
  try {
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
  } catch (const std::ios_base::failure&) {
    return std::nullopt;
  }
}

// "HID_ID=0003:000004D9:0000A09F" in the HID device's uevent.
bool readHidId(const fs::path& syspath, std::uint16_t& vendor, std::uint16_t& product) {
  std::ifstream in(syspath / "device" / "uevent");
  std::string line;
  while (std::getline(in, line)) {
    unsigned bus = 0, v = 0, p = 0;
    if (std::sscanf(line.c_str(), "HID_ID=%x:%x:%x", &bus, &v, &p) == 3) {
      vendor = static_cast<std::uint16_t>(v);
      product = static_cast<std::uint16_t>(p);
      return true;
    }
  }
  return false;
}

// The physical path of the device a node belongs to: the HID device's
// HID_PHYS without the interface at its end ("usb-0000:00:14.0-2/input1"
// gives "usb-0000:00:14.0-2"; uhid devices carry what their maker gave).
// Every interface of one USB device has the same; empty without HID_PHYS.
std::string readBusPath(const fs::path& syspath) {
  std::ifstream in(syspath / "device" / "uevent");
  const std::string key = "HID_PHYS=";
  for (std::string line; std::getline(in, line);) {
    if (!line.starts_with(key)) continue;
    std::string phys = line.substr(key.size());
    const std::size_t slash = phys.rfind('/');
    if (slash != std::string::npos && phys.compare(slash + 1, 5, "input") == 0) phys.erase(slash);
    return phys;
  }
  return {};
}

// The USB device's bcdDevice: the nearest ancestor folder of the node that
// has one.
std::optional<std::uint16_t> readBcdDevice(const fs::path& syspath) {
  std::error_code ec;
  fs::path dir = fs::weakly_canonical(syspath, ec);
  if (ec) dir = syspath;
  for (; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
    std::ifstream in(dir / "bcdDevice");
    unsigned v = 0;
    if (in >> std::hex >> v) return static_cast<std::uint16_t>(v);
  }
  return std::nullopt;
}

// Splits "<syspath>&colNN" into the node's syspath and the collection index
// (0 without a suffix).
void splitPath(const std::string& path, std::string& syspath, std::size_t& collection) {
  syspath = path;
  collection = 0;
  const std::size_t at = path.rfind(kCollectionSuffix);
  if (at == std::string::npos) return;
  const std::string digits = path.substr(at + std::strlen(kCollectionSuffix));
  if (digits.size() != kCollectionDigits ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return;
  const int n = std::stoi(digits);
  if (n < 1) return;
  syspath = path.substr(0, at);
  collection = static_cast<std::size_t>(n - 1);
}

std::string collectionPath(const std::string& syspath, std::size_t index) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "%s%0*zu", kCollectionSuffix, kCollectionDigits, index + 1);
  return syspath + suffix;
}

// The report descriptor of a node: from sysfs (readable without access to
// the node), else through HIDIOCGRDESC on the node.
std::optional<std::vector<std::uint8_t>> readDescriptor(HidrawSyscalls& calls, const std::string& syspath,
                                                        const std::string& devnode, Error& error) {
  if (auto bytes = readFileBytes(fs::path(syspath) / "device" / "report_descriptor")) return bytes;
  if (devnode.empty()) {
    error = Error{"open(" + syspath + "/device/report_descriptor)", ENOENT};
    return std::nullopt;
  }
  const int fd = calls.open(devnode.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = Error{"open(" + devnode + ")", errno};
    return std::nullopt;
  }
  int size = 0;
  hidraw_report_descriptor desc{};
  std::optional<std::vector<std::uint8_t>> out;
  if (calls.ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0) {
    error = Error{"ioctl(HIDIOCGRDESCSIZE)", errno};
  } else {
    // The kernel takes at most HID_MAX_DESCRIPTOR_SIZE - 1 bytes here.
    desc.size = static_cast<std::uint32_t>(std::clamp(size, 0, HID_MAX_DESCRIPTOR_SIZE - 1));
    if (calls.ioctl(fd, HIDIOCGRDESC, &desc) < 0)
      error = Error{"ioctl(HIDIOCGRDESC)", errno};
    else
      out.emplace(desc.value, desc.value + desc.size);
  }
  calls.close(fd);
  return out;
}

std::string devnodeOf(udev* u, const std::string& syspath) {
  if (!u) return {};
  UdevPtr<udev_device> dev(udev_device_new_from_syspath(u, syspath.c_str()));
  if (!dev) return {};
  const char* node = udev_device_get_devnode(dev.get());
  return node ? node : std::string();
}

// The device file of a node of a sysfs fixture: "/dev/" and the DEVNAME of
// the node's uevent, as udev names it; empty without one.
std::string fixtureDevnode(const std::string& syspath) {
  std::ifstream in(fs::path(syspath) / "uevent");
  const std::string key = "DEVNAME=";
  for (std::string line; std::getline(in, line);)
    if (line.starts_with(key) && line.size() > key.size()) return "/dev/" + line.substr(key.size());
  return {};
}

// ---------------------------------------------------------------------------

class LinuxHidDevice : public HidDevice {
 public:
  LinuxHidDevice(HidrawSyscalls& calls, std::string syspath, std::string devnode, std::size_t collection,
                 int fd, udev* u)
      : calls_(calls),
        syspath_(std::move(syspath)),
        devnode_(std::move(devnode)),
        collection_(collection),
        fd_(fd),
        udev_(u) {
    if (u) udev_ref(u);
    Error error;
    if (auto d = readDescriptor(calls_, syspath_, devnode_, error)) {
      if (auto info = parseReportDescriptor(*d)) {
        usesReportIds_ = info->usesReportIds;
        collections_ = info->collections.size();
        if (collection_ < info->collections.size()) inputIds_ = info->collections[collection_].inputReportIds;
      }
    }
  }
  ~LinuxHidDevice() override {
    if (fd_ >= 0) calls_.close(fd_);
    if (udev_) udev_unref(udev_);
  }

  bool getAttributes(HidAttributes& out) override {
    std::uint16_t vendor = 0, product = 0;
    if (!readHidId(syspath_, vendor, product)) {
      hidraw_devinfo info{};
      if (!withFd([&](int fd) { return calls_.ioctl(fd, HIDIOCGRAWINFO, &info) >= 0; },
                  "ioctl(HIDIOCGRAWINFO)"))
        return false;
      vendor = static_cast<std::uint16_t>(info.vendor);
      product = static_cast<std::uint16_t>(info.product);
    }
    out.vendorId = vendor;
    out.productId = product;
    out.versionNumber = version();
    return true;
  }

  HidCapsStatus getCaps(HidCaps& out) override {
    Error error;
    const auto d = readDescriptor(calls_, syspath_, devnode_, error);
    if (!d) {
      lastError_ = error;
      return HidCapsStatus::PreparsedDataFailed;
    }
    std::string why;
    const auto info = parseReportDescriptor(*d, &why);
    if (!info || collection_ >= info->collections.size()) {
      lastError_ = Error{"parse report descriptor of " + syspath_ + " (" +
                             (info ? std::string("no such collection") : why) + ")",
                         EINVAL};
      return HidCapsStatus::InvalidPreparsedData;
    }
    out = info->collections[collection_].caps;
    return HidCapsStatus::Ok;
  }

  bool setFeature(std::span<const std::uint8_t> report) override {
    if (!ioReady("ioctl(HIDIOCSFEATURE)")) return false;
    std::vector<std::uint8_t> buf(report.begin(), report.end());
    if (calls_.ioctl(fd_, HIDIOCSFEATURE(buf.size()), buf.data()) < 0) {
      lastError_ = Error{"ioctl(HIDIOCSFEATURE)", errno};
      return false;
    }
    return true;
  }

  bool getFeature(std::span<std::uint8_t> report) override {
    if (!ioReady("ioctl(HIDIOCGFEATURE)")) return false;
    if (report.empty()) {
      lastError_ = Error{"ioctl(HIDIOCGFEATURE)", EINVAL};
      return false;
    }
    // Byte 0 carries the report ID in and out, also for a device without
    // report IDs (it stays 0 and the data follows from byte 1).
    if (calls_.ioctl(fd_, HIDIOCGFEATURE(report.size()), report.data()) < 0) {
      lastError_ = Error{"ioctl(HIDIOCGFEATURE)", errno};
      return false;
    }
    return true;
  }

  bool write(std::span<const std::uint8_t> report) override {
    if (!ioReady("write")) return false;
    const ssize_t n = calls_.write(fd_, report.data(), report.size());
    if (n < 0) {
      lastError_ = Error{"write(" + devnode_ + ")", errno};
      return false;
    }
    return true;
  }

  HidReadResult read(std::span<std::uint8_t> report, int timeoutMs, const WakeEvent* wake) override {
    if (!ioReady("read")) return {HidReadStatus::Failed, 0};
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    std::vector<std::uint8_t> raw(kMaxRawReport);
    for (;;) {
      if (cancelled_.isSet()) {
        lastError_ = Error{"read(" + devnode_ + ")", ECANCELED};
        return {HidReadStatus::Failed, 0};
      }
      if (wake && wake->isSet()) return {HidReadStatus::Woken, 0};
      int waitMs = -1;
      if (timeoutMs >= 0) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return {HidReadStatus::TimedOut, 0};
        waitMs = static_cast<int>(left.count());
      }
      pollfd fds[3] = {{fd_, POLLIN, 0}, {cancelled_.fd(), POLLIN, 0}, {wake ? wake->fd() : -1, POLLIN, 0}};
      const int r = calls_.poll(fds, wake ? 3 : 2, waitMs);
      if (r < 0) {
        if (errno == EINTR) continue;
        lastError_ = Error{"poll", errno};
        return {HidReadStatus::Failed, 0};
      }
      if (r == 0) continue;  // the deadline check above ends the wait
      if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
        lastError_ = Error{"read(" + devnode_ + ")", ENODEV};
        return {HidReadStatus::Failed, 0};
      }
      if (!(fds[0].revents & POLLIN)) continue;
      const InputFraming framing{usesReportIds_, collections_ > 1 ? &inputIds_ : nullptr};
      const std::size_t offset = rawReportOffset(framing);
      const ssize_t n = calls_.read(fd_, raw.data() + offset, raw.size() - offset);
      if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) continue;
        lastError_ = Error{"read(" + devnode_ + ")", errno};
        return {HidReadStatus::Failed, 0};
      }
      const auto stored = finishInputFrame(raw, static_cast<std::size_t>(n), framing, report);
      if (!stored) continue;  // empty, or another collection's report
      return {HidReadStatus::Ok, *stored};
    }
  }

  void cancel() override { cancelled_.set(); }
  Error lastError() const override { return lastError_; }

 private:
  bool ioReady(const char* call) {
    if (fd_ >= 0) return true;
    lastError_ = Error{call, EBADF};
    return false;
  }
  template <typename F>
  bool withFd(F f, const char* call) {
    int fd = fd_;
    bool own = false;
    if (fd < 0) {
      if (devnode_.empty()) {
        lastError_ = Error{call, ENODEV};
        return false;
      }
      fd = calls_.open(devnode_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
      if (fd < 0) {
        lastError_ = Error{"open(" + devnode_ + ")", errno};
        return false;
      }
      own = true;
    }
    const bool ok = f(fd);
    if (!ok) lastError_ = Error{call, errno};
    if (own) calls_.close(fd);
    return ok;
  }
  std::uint16_t version() {
    if (udev_) {
      UdevPtr<udev_device> dev(udev_device_new_from_syspath(udev_, syspath_.c_str()));
      if (dev) {
        udev_device* usb = udev_device_get_parent_with_subsystem_devtype(dev.get(), "usb", "usb_device");
        const char* bcd = usb ? udev_device_get_sysattr_value(usb, "bcdDevice") : nullptr;
        if (bcd) return static_cast<std::uint16_t>(std::strtoul(bcd, nullptr, 16));
      }
    }
    return readBcdDevice(syspath_).value_or(0);
  }

  HidrawSyscalls& calls_;
  std::string syspath_;
  std::string devnode_;
  std::size_t collection_;
  int fd_;
  udev* udev_;
  bool usesReportIds_ = false;
  std::size_t collections_ = 1;
  std::set<std::uint8_t> inputIds_;
  WakeEvent cancelled_;
  Error lastError_;
};

// ---------------------------------------------------------------------------

class UdevMonitor : public HidMonitor {
 public:
  UdevMonitor(UdevPtr<udev_monitor> m) : m_(std::move(m)) {}
  int fd() const override { return udev_monitor_get_fd(m_.get()); }
  std::vector<HidDeviceEvent> drain() override {
    std::vector<HidDeviceEvent> out;
    for (;;) {
      pollfd p{fd(), POLLIN, 0};
      if (::poll(&p, 1, 0) <= 0) break;
      UdevPtr<udev_device> dev(udev_monitor_receive_device(m_.get()));
      if (!dev) break;
      const char* action = udev_device_get_action(dev.get());
      const char* syspath = udev_device_get_syspath(dev.get());
      if (!action || !syspath) continue;
      if (std::strcmp(action, kUdevActionAdd) == 0)
        out.push_back({HidDeviceEventKind::Arrival, syspath});
      else if (std::strcmp(action, kUdevActionRemove) == 0)
        out.push_back({HidDeviceEventKind::Removal, syspath});
    }
    return out;
  }

 private:
  UdevPtr<udev_monitor> m_;
};

// A monitor that never reports (the sysfs fixture has no event source).
class QuietMonitor : public HidMonitor {
 public:
  int fd() const override { return never_.fd(); }
  std::vector<HidDeviceEvent> drain() override { return {}; }

 private:
  WakeEvent never_;
};

// ---------------------------------------------------------------------------

class LinuxHidBackend : public HidBackend {
 public:
  // sysfsRoot empty: the live system through udev.
  LinuxHidBackend(std::string sysfsRoot, HidrawSyscalls& calls, HidMonitorFactory monitors)
      : sysfsRoot_(std::move(sysfsRoot)), calls_(calls), monitors_(std::move(monitors)) {
    if (sysfsRoot_.empty()) udev_.reset(udev_new());
  }

  std::optional<std::vector<HidInterfaceEntry>> listInterfaces() override {
    std::vector<std::pair<std::string, std::string>> nodes;  // syspath, devnode
    if (!listNodes(nodes)) return std::nullopt;
    std::sort(nodes.begin(), nodes.end());
    std::vector<HidInterfaceEntry> out;
    for (const auto& [syspath, devnode] : nodes) {
      Error error;
      std::size_t count = 1;
      if (auto d = readDescriptor(calls_, syspath, devnode, error))
        if (auto info = parseReportDescriptor(*d)) count = info->collections.size();
      const std::string busPath = readBusPath(syspath);
      if (count == 1) {
        out.push_back({syspath, true, devnode, busPath});
      } else {
        for (std::size_t c = 0; c < count; ++c)
          out.push_back({collectionPath(syspath, c), true, devnode, busPath});
      }
    }
    return out;
  }

  std::unique_ptr<HidDevice> open(const std::string& path, HidAccess access) override {
    std::string syspath;
    std::size_t collection = 0;
    splitPath(path, syspath, collection);
    std::error_code ec;
    if (!fs::exists(syspath, ec)) {
      lastError_ = Error{"open(" + path + ")", ENOENT};
      return nullptr;
    }
    const std::string devnode = nodeOf(syspath);
    int fd = -1;
    if (access != HidAccess::Query) {
      if (devnode.empty()) {
        lastError_ = Error{"open(" + path + ")", ENODEV};
        return nullptr;
      }
      const int mode = access == HidAccess::ReadWrite ? O_RDWR
                       : access == HidAccess::Read    ? O_RDONLY
                                                      : O_WRONLY;
      fd = calls_.open(devnode.c_str(), mode | O_CLOEXEC | O_NONBLOCK);
      if (fd < 0) {
        lastError_ = Error{"open(" + devnode + ")", errno};
        return nullptr;
      }
    }
    return std::make_unique<LinuxHidDevice>(calls_, syspath, devnode, collection, fd, udev_.get());
  }

  std::unique_ptr<HidMonitor> openMonitor() override {
    if (!sysfsRoot_.empty()) return monitors_ ? monitors_() : std::make_unique<QuietMonitor>();
    if (!udev_) {
      lastError_ = Error{"udev_new", errno ? errno : ENOMEM};
      return nullptr;
    }
    UdevPtr<udev_monitor> m(udev_monitor_new_from_netlink(udev_.get(), "udev"));
    if (!m) {
      lastError_ = Error{"udev_monitor_new_from_netlink", errno ? errno : EPERM};
      return nullptr;
    }
    int r = udev_monitor_filter_add_match_subsystem_devtype(m.get(), kSubsystem, nullptr);
    if (r < 0) {
      lastError_ = Error{"udev_monitor_filter_add_match_subsystem_devtype", -r};
      return nullptr;
    }
    r = udev_monitor_enable_receiving(m.get());
    if (r < 0) {
      lastError_ = Error{"udev_monitor_enable_receiving", -r};
      return nullptr;
    }
    return std::make_unique<UdevMonitor>(std::move(m));
  }

  Error lastError() const override { return lastError_; }

 private:
  bool listNodes(std::vector<std::pair<std::string, std::string>>& nodes) {
    if (!sysfsRoot_.empty()) {
      std::error_code ec;
      const fs::path dir = fs::path(sysfsRoot_) / "class" / kSubsystem;
      if (!fs::exists(dir, ec)) return true;  // no hidraw class: no nodes
      for (const auto& e : fs::directory_iterator(dir, ec)) {
        const fs::path real = fs::weakly_canonical(e.path(), ec);
        const std::string syspath = (ec ? e.path() : real).string();
        nodes.emplace_back(syspath, fixtureDevnode(syspath));
      }
      if (ec) {
        lastError_ = Error{"directory_iterator(" + dir.string() + ")", ec.value()};
        return false;
      }
      return true;
    }
    if (!udev_) {
      lastError_ = Error{"udev_new", errno ? errno : ENOMEM};
      return false;
    }
    UdevPtr<udev_enumerate> e(udev_enumerate_new(udev_.get()));
    if (!e) {
      lastError_ = Error{"udev_enumerate_new", errno ? errno : ENOMEM};
      return false;
    }
    int r = udev_enumerate_add_match_subsystem(e.get(), kSubsystem);
    if (r >= 0) r = udev_enumerate_scan_devices(e.get());
    if (r < 0) {
      lastError_ = Error{"udev_enumerate_scan_devices", -r};
      return false;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e.get())) {
      const char* syspath = udev_list_entry_get_name(entry);
      if (!syspath) continue;
      nodes.emplace_back(syspath, devnodeOf(udev_.get(), syspath));
    }
    return true;
  }

  std::string nodeOf(const std::string& syspath) const {
    return sysfsRoot_.empty() ? devnodeOf(udev_.get(), syspath) : fixtureDevnode(syspath);
  }

  std::string sysfsRoot_;
  HidrawSyscalls& calls_;
  HidMonitorFactory monitors_;
  UdevPtr<udev> udev_;
  Error lastError_;
};

}  // namespace

std::unique_ptr<HidBackend> makeLinuxHidBackend() {
  return std::make_unique<LinuxHidBackend>("", systemHidrawSyscalls(), nullptr);
}

std::unique_ptr<HidBackend> makeLinuxHidBackendForSysfs(const std::string& sysfsRoot, HidrawSyscalls& calls,
                                                        HidMonitorFactory monitors) {
  return std::make_unique<LinuxHidBackend>(sysfsRoot, calls, std::move(monitors));
}

}  // namespace hm
