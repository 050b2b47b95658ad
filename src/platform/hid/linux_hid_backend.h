// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux HID backend: hidraw nodes found and watched through libudev.
//
// Every hidraw node is presented as one interface per top-level collection
// of its report descriptor, in the order udev lists the nodes (sorted by
// their sysfs path, so the order is stable) and the collections appear in
// the descriptor. An interface path is the node's sysfs path, e.g.
// "/sys/devices/.../0003:04D9:A09F.0003/hidraw/hidraw2", followed by
// "&col01", "&col02", ... when the node holds more than one collection.
// Attributes (vendor, product) come from the HID device's uevent, else from
// HIDIOCGRAWINFO, the bus path from the HID device's HID_PHYS (without its
// "/inputN", so both interfaces of one mouse share it), and the version from
// the USB device's bcdDevice;
// capabilities from the report descriptor (sysfs report_descriptor, else
// HIDIOCGRDESC) through our report descriptor parser. Querying thus needs no
// access to the node, like the query handles the device search opens on every
// interface, including other devices' nodes that only root may open. Reads prepend the report ID 0 for
// collections without report IDs, so byte 0 is always the report ID; on a node with several collections a
// read returns only the reports of its own collection. The monitor watches udev's "hidraw" subsystem; its
// events carry the node's sysfs path. Every call on a node (open, close,
// ioctl, read, write, poll) goes through HidrawSyscalls.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/device/hid_backend.h"
#include "platform/hid/hidraw_syscalls.h"

namespace hm {

std::unique_ptr<HidBackend> makeLinuxHidBackend();

using HidMonitorFactory = std::function<std::unique_ptr<HidMonitor>()>;

// The same backend over another sysfs root (a folder laid out like /sys with
// class/hidraw/* entries whose device/report_descriptor holds the descriptor)
// instead of udev, for tests. A node's device file is "/dev/" and the DEVNAME
// of the node's own uevent, opened through `calls`; a node without DEVNAME
// can be listed and queried but not opened for I/O. openMonitor() gives what
// `monitors` makes, or a monitor that never reports when it is empty.
std::unique_ptr<HidBackend> makeLinuxHidBackendForSysfs(const std::string& sysfsRoot,
                                                        HidrawSyscalls& calls = systemHidrawSyscalls(),
                                                        HidMonitorFactory monitors = nullptr);

}  // namespace hm
