// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pointer_settings_x11.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/pointer_settings_gnome.h"

namespace hm {

namespace {

// xcb's replies are malloc'd.
template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <class T>
Reply<T> reply(T* r) {
  return Reply<T>(r, &std::free);
}

constexpr std::uint16_t kXInputMajor = 2;
constexpr std::uint16_t kXInputMinor = 2;
constexpr std::uint32_t kMaxItems = 64;  // longer than any property asked for here

class XcbInputDevices : public XInputDevices {
 public:
  explicit XcbInputDevices(xcb_connection_t* c) : c_(c) {}
  ~XcbInputDevices() override { xcb_disconnect(c_); }
  XcbInputDevices(const XcbInputDevices&) = delete;
  XcbInputDevices& operator=(const XcbInputDevices&) = delete;

  Result<std::vector<Device>> pointers() override {
    auto devices = reply(
        xcb_input_xi_query_device_reply(c_, xcb_input_xi_query_device(c_, XCB_INPUT_DEVICE_ALL), nullptr));
    if (!devices) return Error{"XIQueryDevice", EIO};
    std::vector<Device> out;
    for (auto it = xcb_input_xi_query_device_infos_iterator(devices.get()); it.rem > 0;
         xcb_input_xi_device_info_next(&it)) {
      if (it.data->type != XCB_INPUT_DEVICE_TYPE_SLAVE_POINTER) continue;
      Device d;
      d.id = it.data->deviceid;
      d.name.assign(xcb_input_xi_device_info_name(it.data),
                    static_cast<std::size_t>(xcb_input_xi_device_info_name_length(it.data)));
      auto list = reply(xcb_input_xi_list_properties_reply(
          c_, xcb_input_xi_list_properties(c_, it.data->deviceid), nullptr));
      if (list) {
        const xcb_atom_t* atoms = xcb_input_xi_list_properties_properties(list.get());
        const int n = xcb_input_xi_list_properties_properties_length(list.get());
        for (int i = 0; i < n; ++i) d.properties.push_back(atomName(atoms[i]));
      }
      out.push_back(std::move(d));
    }
    return out;
  }

  Result<std::vector<float>> floats(int device, const std::string& property) override {
    Result<std::vector<std::uint32_t>> words = get(device, property, 32, atom("FLOAT"));
    if (!words) return words.error();
    std::vector<float> out(words.value().size());
    std::memcpy(out.data(), words.value().data(), out.size() * sizeof(float));
    return out;
  }

  Result<std::vector<std::uint8_t>> bytes(int device, const std::string& property) override {
    Result<std::vector<std::uint32_t>> items = get(device, property, 8, XCB_ATOM_INTEGER);
    if (!items) return items.error();
    return std::vector<std::uint8_t>(items.value().begin(), items.value().end());
  }

  Status setFloats(int device, const std::string& property, const std::vector<float>& values) override {
    std::vector<std::uint32_t> words(values.size());
    std::memcpy(words.data(), values.data(), words.size() * sizeof(float));
    return change(device, property, 32, atom("FLOAT"), words.data(), words.size());
  }

  Status setBytes(int device, const std::string& property, const std::vector<std::uint8_t>& values) override {
    // The request carries whole 32-bit units.
    std::vector<std::uint8_t> padded(values);
    padded.resize((values.size() + 3) / 4 * 4);
    return change(device, property, 8, XCB_ATOM_INTEGER, padded.data(), values.size());
  }

 private:
  xcb_atom_t atom(const std::string& name) {
    if (auto found = atoms_.find(name); found != atoms_.end()) return found->second;
    auto r = reply(xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr));
    const xcb_atom_t a = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    if (a != XCB_ATOM_NONE) atoms_[name] = a;
    return a;
  }

  std::string atomName(xcb_atom_t a) {
    auto r = reply(xcb_get_atom_name_reply(c_, xcb_get_atom_name(c_, a), nullptr));
    if (!r) return {};
    return {xcb_get_atom_name_name(r.get()),
            static_cast<std::size_t>(xcb_get_atom_name_name_length(r.get()))};
  }

  static std::string call(const char* what, int device, const std::string& property) {
    return std::string(what) + "(device " + std::to_string(device) + ", \"" + property + "\")";
  }

  // The property's items widened to 32 bits; an error unless it has the
  // format and type asked for.
  Result<std::vector<std::uint32_t>> get(int device, const std::string& property, int format,
                                         xcb_atom_t type) {
    auto r = reply(xcb_input_xi_get_property_reply(
        c_,
        xcb_input_xi_get_property(c_, static_cast<xcb_input_device_id_t>(device), 0, atom(property),
                                  XCB_ATOM_ANY, 0, kMaxItems),
        nullptr));
    if (!r || r->type == XCB_ATOM_NONE) return Error{call("XIGetProperty", device, property), ENOENT};
    if (r->format != format || r->type != type)
      return Error{call("XIGetProperty", device, property) + ": not of the expected type", EPROTO};
    const void* items = xcb_input_xi_get_property_items(r.get());
    std::vector<std::uint32_t> out(r->num_items);
    for (std::size_t i = 0; i < out.size(); ++i)
      out[i] = format == 8 ? static_cast<const std::uint8_t*>(items)[i]
                           : static_cast<const std::uint32_t*>(items)[i];
    return out;
  }

  Status change(int device, const std::string& property, int format, xcb_atom_t type, const void* items,
                std::size_t count) {
    const xcb_void_cookie_t cookie = xcb_input_xi_change_property_checked(
        c_, static_cast<xcb_input_device_id_t>(device), XCB_PROP_MODE_REPLACE,
        static_cast<std::uint8_t>(format), atom(property), type, static_cast<std::uint32_t>(count), items);
    // The driver checks the value and answers with an error when it refuses.
    if (xcb_generic_error_t* error = xcb_request_check(c_, cookie)) {
      const int code = error->error_code;
      std::free(error);
      return Status::failure(call("XIChangeProperty", device, property) + ": X error " + std::to_string(code),
                             EINVAL);
    }
    return {};
  }

  xcb_connection_t* c_;
  std::map<std::string, xcb_atom_t> atoms_;
};

bool has(const XInputDevices::Device& d, const char* property) {
  return std::find(d.properties.begin(), d.properties.end(), property) != d.properties.end();
}

// "PROPERTY" of DEVICE, DEVICE; empty when no device has it.
std::string sourceOf(const std::vector<XInputDevices::Device>& devices, const char* property) {
  std::string names;
  for (const XInputDevices::Device& d : devices) {
    if (!has(d, property)) continue;
    names += (names.empty() ? "" : ", ") + d.name;
  }
  if (names.empty()) return {};
  return std::string("X input device property \"") + property + "\" of " + names;
}

}  // namespace

std::unique_ptr<XInputDevices> connectXInput() {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c) != 0) {
    xcb_disconnect(c);
    return nullptr;
  }
  auto version = reply(xcb_input_xi_query_version_reply(
      c, xcb_input_xi_query_version(c, kXInputMajor, kXInputMinor), nullptr));
  if (!version || version->major_version < kXInputMajor) {
    xcb_disconnect(c);
    return nullptr;
  }
  return std::make_unique<XcbInputDevices>(c);
}

bool X11PointerSettings::servesAny(XInputDevices& devices) {
  const Result<std::vector<XInputDevices::Device>> pointers = devices.pointers();
  if (!pointers) return false;
  return std::any_of(pointers.value().begin(), pointers.value().end(), [](const XInputDevices::Device& d) {
    return has(d, kSpeedProperty) || has(d, kProfileProperty);
  });
}

X11PointerSettings::X11PointerSettings(std::unique_ptr<XInputDevices> devices)
    : devices_(std::move(devices)) {
  if (const Result<std::vector<XInputDevices::Device>> pointers = devices_->pointers()) {
    speedSource_ = sourceOf(pointers.value(), kSpeedProperty);
    precisionSource_ = sourceOf(pointers.value(), kProfileProperty);
  }
}

Result<std::vector<XInputDevices::Device>> X11PointerSettings::devicesWith(const char* property) {
  Result<std::vector<XInputDevices::Device>> pointers = devices_->pointers();
  if (!pointers) return pointers.error();
  std::vector<XInputDevices::Device> with;
  for (XInputDevices::Device& d : pointers.value())
    if (has(d, property)) with.push_back(std::move(d));
  if (with.empty()) return Error{std::string("no pointer device has \"") + property + "\"", ENODEV};
  return with;
}

Result<bool> X11PointerSettings::readPrecision() {
  if (precisionSource_.empty()) return kept_.readPrecision();
  const auto devices = devicesWith(kProfileProperty);
  if (!devices) return devices.error();
  const auto profiles = devices_->bytes(devices.value().front().id, kProfileProperty);
  if (!profiles) return profiles.error();
  // Adaptive unless flat is the profile switched on.
  return !(profiles.value().size() >= 2 && profiles.value()[1] != 0);
}

Result<int> X11PointerSettings::readPointerSpeed() {
  if (speedSource_.empty()) return kept_.readPointerSpeed();
  const auto devices = devicesWith(kSpeedProperty);
  if (!devices) return devices.error();
  const auto speed = devices_->floats(devices.value().front().id, kSpeedProperty);
  if (!speed) return speed.error();
  if (speed.value().empty()) return Error{std::string("\"") + kSpeedProperty + "\" is empty", EPROTO};
  return GnomePointerSettings::speedFromGsettings(speed.value().front());
}

Status X11PointerSettings::setPrecision(bool on) {
  if (precisionSource_.empty()) return kept_.setPrecision(on);
  const auto devices = devicesWith(kProfileProperty);
  if (!devices) return devices.error();
  Status result;
  for (const XInputDevices::Device& d : devices.value()) {
    // One byte per profile the driver knows; exactly one is switched on.
    auto profiles = devices_->bytes(d.id, kProfileProperty);
    Status s = profiles.status();
    if (s) {
      std::vector<std::uint8_t> wanted(std::max<std::size_t>(profiles.value().size(), 2), 0);
      wanted[on ? 0 : 1] = 1;
      s = devices_->setBytes(d.id, kProfileProperty, wanted);
    }
    if (!s) result = s;  // the other devices still get it
  }
  return result;
}

Status X11PointerSettings::setPointerSpeed(int speed) {
  if (speedSource_.empty()) return kept_.setPointerSpeed(speed);
  const auto devices = devicesWith(kSpeedProperty);
  if (!devices) return devices.error();
  const auto value = static_cast<float>(GnomePointerSettings::gsettingsSpeed(speed));
  Status result;
  for (const XInputDevices::Device& d : devices.value())
    if (Status s = devices_->setFloats(d.id, kSpeedProperty, {value}); !s) result = s;
  return result;
}

std::string X11PointerSettings::source(PointerSetting s) const {
  const std::string* x = s == PointerSetting::Speed       ? &speedSource_
                         : s == PointerSetting::Precision ? &precisionSource_
                                                          : nullptr;
  return x != nullptr && !x->empty() ? *x : kept_.source(s);
}

}  // namespace hm
