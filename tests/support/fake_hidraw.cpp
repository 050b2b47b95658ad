// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fake_hidraw.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/hid/queued_monitor.h"

namespace hm::test {

namespace {

namespace fs = std::filesystem;

// The request number layout of the kernel's ioctl encoding (asm-generic
// ioctl.h): number in bits 0..7, type in 8..15, argument size in 16..29,
// direction in 30..31. The fake decodes requests with these on its own, so
// that the tests can hold the header's macros against it.
constexpr unsigned kNrShift = 0;
constexpr unsigned kTypeShift = 8;
constexpr unsigned kSizeShift = 16;
constexpr unsigned kDirShift = 30;
constexpr unsigned long kNrMask = 0xFF;
constexpr unsigned long kTypeMask = 0xFF;
constexpr unsigned long kSizeMask = 0x3FFF;
constexpr unsigned long kDirMask = 0x3;
constexpr unsigned long kDirRead = 2;
constexpr unsigned long kHidrawType = 'H';
constexpr unsigned long kNrDescriptorSize = 0x01;
constexpr unsigned long kNrDescriptor = 0x02;
constexpr unsigned long kNrRawInfo = 0x03;
constexpr unsigned long kNrSetFeature = 0x06;
constexpr unsigned long kNrGetFeature = 0x07;
constexpr std::size_t kMaxDescriptor = 4096;                // HID_MAX_DESCRIPTOR_SIZE
constexpr std::size_t kDescriptorArg = 4 + kMaxDescriptor;  // struct hidraw_report_descriptor
constexpr std::size_t kRawInfoArg = 4 + 2 + 2;              // struct hidraw_devinfo
constexpr std::size_t kMaxReport = 16384;                   // HID_MAX_BUFFER_SIZE
constexpr std::size_t kQueueCapacity = 64 - 1;              // a ring of HIDRAW_BUFFER_SIZE
constexpr std::uint32_t kBusUsb = 3;                        // BUS_USB
constexpr int kHidrawMajor = 240;

constexpr unsigned long ioc(unsigned long dir, unsigned long nr, std::size_t size) {
  return (dir << kDirShift) | (static_cast<unsigned long>(size) << kSizeShift) | (kHidrawType << kTypeShift) |
         (nr << kNrShift);
}
constexpr unsigned long kReqDescriptorSize = ioc(kDirRead, kNrDescriptorSize, sizeof(int));
constexpr unsigned long kReqDescriptor = ioc(kDirRead, kNrDescriptor, kDescriptorArg);
constexpr unsigned long kReqRawInfo = ioc(kDirRead, kNrRawInfo, kRawInfoArg);

std::string hex4(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "%04X", v & 0xFFFF);
  return b;
}

void writeText(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

int fail(int code) {
  errno = code;
  return -1;
}

}  // namespace

struct FakeHidrawKernel::Node {
  int minor = 0;
  int device = 0;
  std::size_t interface = 0;
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  FakeInterfaceShape shape;
  std::string syspath;
  std::string devfile;
  bool onUhid = false;
  bool exist = true;
  std::vector<OpenFile*> files;
};

struct FakeHidrawKernel::OpenFile {
  int fd = -1;  // an eventfd, readable while the file is ready to read
  Node* node = nullptr;
  bool canRead = false;
  bool canWrite = false;
  bool nonBlocking = false;
  std::deque<std::vector<std::uint8_t>> queue;
  bool ready = false;
};

class FakeHidrawKernel::Monitor : public QueuedHidMonitor {
 public:
  explicit Monitor(FakeHidrawKernel& k) : k_(k) {}
  ~Monitor() override {
    std::lock_guard lock(k_.m_);
    std::erase(k_.monitors_, this);
  }

 private:
  FakeHidrawKernel& k_;
};

FakeHidrawKernel::FakeHidrawKernel() { fs::create_directories(fs::path(root_.path()) / "class" / "hidraw"); }

FakeHidrawKernel::~FakeHidrawKernel() {
  for (auto& [fd, f] : files_) ::close(fd);
}

int FakeHidrawKernel::plug(const FakeUsbDeviceShape& shape) {
  std::lock_guard lock(m_);
  const int device = nextDevice_++;
  const fs::path root = fs::canonical(root_.path());
  // A uhid device has no USB device above it: its HID devices sit side by side.
  const fs::path usb = shape.onUhid ? root / "devices" / "virtual" / "misc" / "uhid"
                                    : root / "devices" / "pci0000:00" / "0000:00:14.0" / "usb1" / shape.port;
  fs::create_directories(usb);
  if (!shape.onUhid) {
    writeText(usb / "bcdDevice", hex4(shape.version) + "\n");
    writeText(usb / "idVendor", hex4(shape.vendor) + "\n");
    writeText(usb / "idProduct", hex4(shape.product) + "\n");
  }
  // As usbhid names it: "usb-" the controller "-" the port path.
  const std::string phys =
      shape.onUhid ? shape.port : "usb-0000:00:14.0-" + shape.port.substr(shape.port.find('-') + 1);
  for (std::size_t i = 0; i < shape.interfaces.size(); ++i) {
    FakeInterfaceShape is = shape.interfaces[i];
    is.sysfsDescriptor = is.sysfsDescriptor && sysfsDetails_;
    is.sysfsHidId = is.sysfsHidId && sysfsDetails_;
    int minor = 0;
    while (nodes_.contains(minor)) ++minor;
    const std::string hidName = "0003:" + hex4(shape.vendor) + ":" + hex4(shape.product) + "." +
                                hex4(static_cast<unsigned>(nextHidSequence_++));
    const fs::path hid =
        shape.onUhid ? usb / hidName : usb / (shape.port + ":1." + std::to_string(is.number)) / hidName;
    const std::string name = "hidraw" + std::to_string(minor);
    const fs::path node = hid / "hidraw" / name;
    fs::create_directories(node);
    std::string hidUevent = "DRIVER=hid-generic\n";
    if (is.sysfsHidId)
      hidUevent += "HID_ID=0003:0000" + hex4(shape.vendor) + ":0000" + hex4(shape.product) + "\n";
    hidUevent += "HID_NAME=Fake " + shape.port + "\n";
    hidUevent += "HID_PHYS=" + phys + "/input" + std::to_string(is.number) + "\n";
    writeText(hid / "uevent", hidUevent);
    if (is.sysfsDescriptor)
      writeText(hid / "report_descriptor", std::string(is.descriptor.begin(), is.descriptor.end()));
    writeText(node / "uevent", "MAJOR=" + std::to_string(kHidrawMajor) + "\nMINOR=" + std::to_string(minor) +
                                   "\nDEVNAME=" + name + "\n");
    writeText(node / "dev", std::to_string(kHidrawMajor) + ":" + std::to_string(minor) + "\n");
    fs::create_directory_symlink("../..", node / "device");
    fs::create_directory_symlink(fs::relative(node, root / "class" / "hidraw"),
                                 root / "class" / "hidraw" / name);

    auto n = std::make_unique<Node>();
    n->minor = minor;
    n->device = device;
    n->interface = i;
    n->vendor = shape.vendor;
    n->product = shape.product;
    n->shape = is;
    n->onUhid = shape.onUhid;
    n->syspath = node.string();
    n->devfile = "/dev/" + name;
    devices_[device].push_back(minor);
    nodes_[minor] = std::move(n);
    announce(HidDeviceEventKind::Arrival, node.string());
  }
  return device;
}

void FakeHidrawKernel::unplug(int device) {
  std::lock_guard lock(m_);
  const auto it = devices_.find(device);
  if (it == devices_.end()) return;
  const std::vector<int> minors = it->second;
  devices_.erase(it);
  std::erase_if(unplugAt_, [device](const auto& e) { return e.first.first == device; });
  std::error_code ec;
  std::vector<fs::path> gone;  // the USB device's folder, or each HID device's on uhid
  for (int minor : minors) {
    Node& n = *nodes_.at(minor);
    n.exist = false;
    for (OpenFile* f : n.files) syncReady(*f);
    fs::remove(fs::path(root_.path()) / "class" / "hidraw" / ("hidraw" + std::to_string(minor)), ec);
    const fs::path hid = fs::path(n.syspath).parent_path().parent_path();
    gone.push_back(n.onUhid ? hid : hid.parent_path().parent_path());
    announce(HidDeviceEventKind::Removal, n.syspath);
  }
  for (const fs::path& p : gone) fs::remove_all(p, ec);
  for (int minor : minors) removeNodeIfUnused(minor);
}

std::vector<std::string> FakeHidrawKernel::deviceFiles(int device) const {
  std::lock_guard lock(m_);
  std::vector<std::string> out;
  if (const auto it = devices_.find(device); it != devices_.end())
    for (int minor : it->second) out.push_back(nodes_.at(minor)->devfile);
  return out;
}

std::string FakeHidrawKernel::nodeSyspath(int device, std::size_t interface) const {
  std::lock_guard lock(m_);
  const auto it = devices_.find(device);
  if (it == devices_.end() || interface >= it->second.size()) return {};
  return nodes_.at(it->second[interface])->syspath;
}

void FakeHidrawKernel::inputReport(int device, std::size_t interface,
                                   std::span<const std::uint8_t> transfer) {
  std::lock_guard lock(m_);
  const auto it = devices_.find(device);
  if (it == devices_.end() || interface >= it->second.size()) return;
  Node& n = *nodes_.at(it->second[interface]);
  for (OpenFile* f : n.files) {
    if (f->queue.size() >= kQueueCapacity) continue;  // hidraw drops what its ring cannot hold
    f->queue.emplace_back(transfer.begin(), transfer.end());
    syncReady(*f);
  }
}

void FakeHidrawKernel::unplugAtCall(int device, std::size_t interface, int n) {
  std::lock_guard lock(m_);
  if (n < 0)
    unplugAt_.erase({device, interface});
  else
    unplugAt_[{device, interface}] = n;
}

void FakeHidrawKernel::setAccessible(int device, std::size_t interface, bool accessible) {
  std::lock_guard lock(m_);
  if (const auto it = devices_.find(device); it != devices_.end() && interface < it->second.size())
    nodes_.at(it->second[interface])->shape.accessible = accessible;
}

void FakeHidrawKernel::setSysfsDetails(bool inSysfs) {
  std::lock_guard lock(m_);
  sysfsDetails_ = inSysfs;
}

void FakeHidrawKernel::interruptEveryPoll(int n) {
  std::lock_guard lock(m_);
  interruptEvery_ = n;
  pollCount_ = 0;
}

std::unique_ptr<HidMonitor> FakeHidrawKernel::openMonitor() {
  std::lock_guard lock(m_);
  auto m = std::make_unique<Monitor>(*this);
  monitors_.push_back(m.get());
  return m;
}

std::vector<FakeHidrawKernel::IoctlCall> FakeHidrawKernel::ioctls() const {
  std::lock_guard lock(m_);
  return ioctls_;
}
std::vector<FakeHidrawKernel::IoCall> FakeHidrawKernel::writes() const {
  std::lock_guard lock(m_);
  return writes_;
}
std::vector<FakeHidrawKernel::IoCall> FakeHidrawKernel::reads() const {
  std::lock_guard lock(m_);
  return reads_;
}
int FakeHidrawKernel::openFiles() const {
  std::lock_guard lock(m_);
  return static_cast<int>(files_.size());
}
void FakeHidrawKernel::clearLog() {
  std::lock_guard lock(m_);
  ioctls_.clear();
  writes_.clear();
  reads_.clear();
}

// ---------------------------------------------------------------------------

void FakeHidrawKernel::removeNodeIfUnused(int minor) {
  const auto it = nodes_.find(minor);
  if (it != nodes_.end() && !it->second->exist && it->second->files.empty()) nodes_.erase(it);
}

void FakeHidrawKernel::syncReady(OpenFile& f) {
  const bool want = !f.queue.empty() || !f.node->exist;
  if (want == f.ready) return;
  std::uint64_t v = 1;
  if (want) {
    [[maybe_unused]] const ssize_t w = ::write(f.fd, &v, sizeof v);
  } else {
    [[maybe_unused]] const ssize_t r = ::read(f.fd, &v, sizeof v);
  }
  f.ready = want;
}

void FakeHidrawKernel::announce(HidDeviceEventKind kind, const std::string& syspath) {
  for (Monitor* m : monitors_) m->push({kind, syspath});
}

void FakeHidrawKernel::countCall(Node& n) {
  const auto it = unplugAt_.find({n.device, n.interface});
  if (it == unplugAt_.end()) return;
  if (it->second-- > 0) return;
  unplugAt_.erase(it);
  unplug(n.device);
}

FakeHidrawKernel::OpenFile* FakeHidrawKernel::fileOf(int fd) {
  const auto it = files_.find(fd);
  return it == files_.end() ? nullptr : it->second.get();
}

int FakeHidrawKernel::sendReport(Node& n, const std::uint8_t* buf, std::size_t count, HidReportType type) {
  if (count > kMaxReport || count < 2) return -EINVAL;
  const std::vector<std::uint8_t> copy(buf, buf + count);
  // Report number 0 is not on the bus; it counts in the length returned.
  const bool skipNumber = copy[0] == 0;
  const std::span<const std::uint8_t> data(copy.data() + (skipNumber ? 1 : 0), count - (skipNumber ? 1 : 0));
  FakeHidInterface* device = n.shape.device;
  if (!device) return -EPIPE;
  int r = -ENOSYS;
  if (type == HidReportType::Output) r = device->interruptOut(data);
  if (r == -ENOSYS) r = device->setReport(type, copy[0], data);
  if (r >= 0 && skipNumber) ++r;
  return r;
}

int FakeHidrawKernel::getReport(Node& n, std::uint8_t* buf, std::size_t count) {
  if (count > kMaxReport || count < 2) return -EINVAL;
  const std::uint8_t number = buf[0];
  std::vector<std::uint8_t> answer(count, 0);
  answer[0] = number;
  FakeHidInterface* device = n.shape.device;
  if (!device) return -EPIPE;
  const bool skipNumber = number == 0;
  int r = device->getReport(
      HidReportType::Feature, number,
      std::span<std::uint8_t>(answer.data() + (skipNumber ? 1 : 0), count - (skipNumber ? 1 : 0)));
  if (r < 0) return r;
  if (r > 0 && skipNumber) ++r;
  const std::size_t len = std::min<std::size_t>(static_cast<std::size_t>(r), count);
  std::copy_n(answer.begin(), len, buf);
  return static_cast<int>(len);
}

// ---------------------------------------------------------------------------
// The system calls

int FakeHidrawKernel::open(const char* path, int flags) {
  std::lock_guard lock(m_);
  Node* node = nullptr;
  for (auto& [minor, n] : nodes_)
    if (n->exist && n->devfile == path) node = n.get();
  if (!node) return fail(ENOENT);
  if (!node->shape.accessible) return fail(EACCES);
  const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (fd < 0) return -1;
  auto f = std::make_unique<OpenFile>();
  f->fd = fd;
  f->node = node;
  const int mode = flags & O_ACCMODE;
  f->canRead = mode == O_RDONLY || mode == O_RDWR;
  f->canWrite = mode == O_WRONLY || mode == O_RDWR;
  f->nonBlocking = (flags & O_NONBLOCK) != 0;
  node->files.push_back(f.get());
  files_[fd] = std::move(f);
  return fd;
}

int FakeHidrawKernel::close(int fd) {
  std::lock_guard lock(m_);
  OpenFile* f = fileOf(fd);
  if (!f) return fail(EBADF);
  Node* node = f->node;
  std::erase(node->files, f);
  ::close(fd);
  const int minor = node->minor;
  files_.erase(fd);
  removeNodeIfUnused(minor);
  return 0;
}

int FakeHidrawKernel::ioctl(int fd, unsigned long request, void* arg) {
  std::lock_guard lock(m_);
  OpenFile* f = fileOf(fd);
  if (!f) return fail(EBADF);
  Node& n = *f->node;
  ioctls_.push_back({n.devfile, request});
  const unsigned long nr = (request >> kNrShift) & kNrMask;
  const unsigned long type = (request >> kTypeShift) & kTypeMask;
  const std::size_t size = (request >> kSizeShift) & kSizeMask;
  const unsigned long dir = (request >> kDirShift) & kDirMask;
  const bool feature = type == kHidrawType && (nr == kNrSetFeature || nr == kNrGetFeature);
  if (feature) countCall(n);
  if (!n.exist) return fail(ENODEV);
  auto* bytes = static_cast<std::uint8_t*>(arg);
  if (request == kReqDescriptorSize) {
    const int size32 = static_cast<int>(n.shape.descriptor.size());
    std::memcpy(arg, &size32, sizeof size32);
    return 0;
  }
  if (request == kReqDescriptor) {
    std::uint32_t len = 0;
    std::memcpy(&len, arg, sizeof len);
    if (len > kMaxDescriptor - 1) return fail(EINVAL);
    std::copy_n(n.shape.descriptor.begin(), std::min<std::size_t>(len, n.shape.descriptor.size()),
                bytes + sizeof len);
    return 0;
  }
  if (request == kReqRawInfo) {
    const std::uint32_t bus = kBusUsb;
    std::memcpy(bytes, &bus, sizeof bus);
    std::memcpy(bytes + 4, &n.vendor, 2);
    std::memcpy(bytes + 6, &n.product, 2);
    return 0;
  }
  if (type != kHidrawType) return fail(EINVAL);
  if (nr == kNrSetFeature || nr == kNrGetFeature) {
    const int r =
        nr == kNrSetFeature ? sendReport(n, bytes, size, HidReportType::Feature) : getReport(n, bytes, size);
    return r < 0 ? fail(-r) : r;
  }
  if (dir != kDirRead) return fail(EINVAL);
  return fail(ENOTTY);
}

ssize_t FakeHidrawKernel::read(int fd, void* buf, std::size_t count) {
  std::unique_lock lock(m_);
  for (;;) {
    OpenFile* f = fileOf(fd);
    if (!f || !f->canRead) return fail(EBADF);
    if (!f->queue.empty()) {
      const std::vector<std::uint8_t> report = std::move(f->queue.front());
      f->queue.pop_front();
      syncReady(*f);
      reads_.push_back({f->node->devfile, count});
      const std::size_t len = std::min(report.size(), count);
      std::copy_n(report.begin(), len, static_cast<std::uint8_t*>(buf));
      return static_cast<ssize_t>(len);
    }
    if (!f->node->exist) return fail(EIO);
    if (f->nonBlocking) return fail(EAGAIN);
    // A blocking read sleeps until a report comes or the device goes.
    pollfd p{fd, POLLIN, 0};
    lock.unlock();
    ::poll(&p, 1, -1);
    lock.lock();
  }
}

ssize_t FakeHidrawKernel::write(int fd, const void* buf, std::size_t count) {
  std::lock_guard lock(m_);
  OpenFile* f = fileOf(fd);
  if (!f || !f->canWrite) return fail(EBADF);
  Node& n = *f->node;
  writes_.push_back({n.devfile, count});
  countCall(n);
  if (!n.exist) return fail(ENODEV);
  const int r = sendReport(n, static_cast<const std::uint8_t*>(buf), count, HidReportType::Output);
  return r < 0 ? fail(-r) : r;
}

int FakeHidrawKernel::poll(pollfd* fds, nfds_t count, int timeoutMs) {
  {
    std::lock_guard lock(m_);
    if (interruptEvery_ > 0 && ++pollCount_ % interruptEvery_ == 0) return fail(EINTR);
    std::vector<Node*> counted;
    for (nfds_t i = 0; i < count; ++i) {
      OpenFile* f = fileOf(fds[i].fd);
      if (f && std::find(counted.begin(), counted.end(), f->node) == counted.end()) {
        counted.push_back(f->node);
        countCall(*f->node);
      }
    }
  }
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  for (;;) {
    int wait = -1;
    if (timeoutMs >= 0)
      wait = static_cast<int>(
          std::max<long>(0, std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count()));
    const int r = ::poll(fds, count, wait);
    if (r < 0) return r;
    std::lock_guard lock(m_);
    int ready = 0;
    for (nfds_t i = 0; i < count; ++i) {
      if (OpenFile* f = fileOf(fds[i].fd)) {
        short mask = POLLOUT | POLLWRNORM;  // hidraw is always writable
        if (!f->queue.empty()) mask = static_cast<short>(mask | POLLIN | POLLRDNORM);
        if (!f->node->exist) mask = static_cast<short>(mask | POLLERR | POLLHUP);
        fds[i].revents = static_cast<short>(mask & (fds[i].events | POLLERR | POLLHUP));
      }
      if (fds[i].revents) ++ready;
    }
    if (ready || wait == 0) return ready;
  }
}

}  // namespace hm::test
