// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's pointer settings: the GNOME implementation for real against
// GSettings' in-memory backend, the X server's devices through a fake of
// their properties, and the values kept for the run, through the same table
// of cases; then GNOME's own keys, the X devices each setting reaches, a
// read-only store refusing writes, and the messages of failing calls.
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include <functional>
#include <map>
#include <memory>

#include "platform/pointer_settings.h"
#include "platform/pointer_settings_gnome.h"
#include "platform/pointer_settings_x11.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

// GSettings picks its default backend on first use: the in-memory one, so
// nothing here reaches a desktop.
const bool kMemoryBackend = [] { return ::setenv("GSETTINGS_BACKEND", "memory", 1) == 0; }();

using test::Message;
using test::RecordingSink;

// The schema's keys as stored, read and written beside the implementation.
class StoredKeys {
 public:
  StoredKeys() : settings_(g_settings_new(GnomePointerSettings::kSchema)) {}
  ~StoredKeys() { g_object_unref(settings_); }
  void reset() {
    for (const char* key : {"speed", "accel-profile", "double-click"}) g_settings_reset(settings_, key);
  }
  double speed() const { return g_settings_get_double(settings_, "speed"); }
  void setSpeed(double g) { ASSERT_TRUE(g_settings_set_double(settings_, "speed", g)); }
  std::string profile() const {
    gchar* s = g_settings_get_string(settings_, "accel-profile");
    std::string out = s;
    g_free(s);
    return out;
  }
  void setProfile(const char* p) { ASSERT_TRUE(g_settings_set_string(settings_, "accel-profile", p)); }
  int doubleClick() const { return g_settings_get_int(settings_, "double-click"); }

 private:
  GSettings* settings_;
};

// An X server's pointer devices as the libinput driver gives them: a mouse
// (a driver that knows three profiles), a touchpad (two), a trackpoint with
// the speed alone, and XTest's pointer without either.
class FakeXInput : public XInputDevices {
 public:
  struct Values {
    std::map<std::string, std::vector<float>> floats;
    std::map<std::string, std::vector<std::uint8_t>> bytes;
  };
  static constexpr int kXTest = 4, kMouse = 8, kTouchpad = 9, kTrackpoint = 10;

  FakeXInput() {
    add(kXTest, "Virtual core XTEST pointer", {}, {{"Device Enabled", {1}}});
    add(kMouse, "Gaming Mouse", {{X11PointerSettings::kSpeedProperty, {0.0F}}},
        {{X11PointerSettings::kProfileProperty, {1, 0, 0}}});
    add(kTouchpad, "Touchpad", {{X11PointerSettings::kSpeedProperty, {0.0F}}},
        {{X11PointerSettings::kProfileProperty, {1, 0}}});
    add(kTrackpoint, "Trackpoint", {{X11PointerSettings::kSpeedProperty, {0.5F}}}, {});
  }

  std::vector<Device> devices;
  std::map<int, Values> values;
  int refusing = 0;  // a device whose driver refuses every change

  Result<std::vector<Device>> pointers() override { return devices; }
  Result<std::vector<float>> floats(int id, const std::string& p) override {
    return find(values[id].floats, p);
  }
  Result<std::vector<std::uint8_t>> bytes(int id, const std::string& p) override {
    return find(values[id].bytes, p);
  }
  Status setFloats(int id, const std::string& p, const std::vector<float>& v) override {
    return change(id, values[id].floats, p, v);
  }
  Status setBytes(int id, const std::string& p, const std::vector<std::uint8_t>& v) override {
    return change(id, values[id].bytes, p, v);
  }

 private:
  void add(int id, const char* name, std::map<std::string, std::vector<float>> f,
           std::map<std::string, std::vector<std::uint8_t>> b) {
    Device d{id, name, {}};
    for (const auto& property : f) d.properties.push_back(property.first);
    for (const auto& property : b) d.properties.push_back(property.first);
    devices.push_back(d);
    values[id] = Values{std::move(f), std::move(b)};
  }
  template <class T>
  static Result<T> find(const std::map<std::string, T>& m, const std::string& p) {
    const auto it = m.find(p);
    if (it == m.end()) return Error{"XIGetProperty " + p, ENOENT};
    return it->second;
  }
  template <class T>
  Status change(int id, std::map<std::string, T>& m, const std::string& p, const T& v) {
    const auto it = m.find(p);
    // The driver takes only a value of the length it has.
    if (id == refusing || it == m.end() || it->second.size() != v.size())
      return Status::failure("XIChangeProperty " + p, EINVAL);
    it->second = v;
    return {};
  }
};

struct Implementation {
  const char* name;
  std::function<std::unique_ptr<PointerSettings>()> make;  // fresh: nothing set yet
  PointerValues fresh;
};

std::vector<Implementation> implementations() {
  return {
      {"kept for the run", [] { return std::make_unique<KeptPointerSettings>(); }, kDefaultPointerValues},
      // The schema's defaults: 'default' acceleration (on), speed 0.0, 400 ms;
      // scroll lines are kept.
      {"GNOME",
       [] {
         StoredKeys().reset();
         return std::make_unique<GnomePointerSettings>();
       },
       {true, 10, 3, 400}},
      // The mouse's adaptive profile and speed 0.0; the rest is kept.
      {"X11 devices",
       [] { return std::make_unique<X11PointerSettings>(std::make_unique<FakeXInput>()); },
       {true, 10, 3, 500}},
  };
}

TEST(PointerSettings, EveryImplementationGivesBackWhatWasSet) {
  ASSERT_TRUE(kMemoryBackend);
  ASSERT_TRUE(GnomePointerSettings::schemaInstalled())
      << "scripts/install-deps installs gsettings-desktop-schemas";
  const PointerValues cases[] = {
      {false, 10, 3, 500},               // the "Default" values
      {true, 1, kScrollOneScreen, 900},  // slowest, a screen per notch
      {true, 20, 11, 200},               // fastest
      {false, 11, 1, 550},               // an odd speed survives
      {true, 2, 7, 270},
  };
  for (const Implementation& impl : implementations()) {
    SCOPED_TRACE(impl.name);
    RecordingSink sink;
    std::unique_ptr<PointerSettings> desktop = impl.make();
    PointerReading r = readPointerValues(*desktop, sink);
    EXPECT_EQ((PointerValues{*r.precision, *r.speed, *r.scrollLines, *r.doubleClickMs}), impl.fresh);
    for (const PointerValues& v : cases) {
      applyPointerValues(*desktop, v, sink);
      r = readPointerValues(*desktop, sink);
      EXPECT_EQ((PointerValues{*r.precision, *r.speed, *r.scrollLines, *r.doubleClickMs}), v)
          << v.speed << " " << v.scrollLines << " " << v.doubleClickMs;
    }
    EXPECT_TRUE(sink.messages.empty());
  }
}

TEST(PointerSettings, GnomeSpeedMapsLinearlyOntoItsKey) {
  struct Case {
    int speed;
    double key;
    bool written;  // the speed is written as this key value (else only read back)
  };
  const Case cases[] = {{1, -0.9, true},  {10, 0.0, true},   {11, 0.1, true},   {20, 1.0, true},
                        {1, -1.0, false}, {10, 0.04, false}, {11, 0.05, false}, {15, 0.53, false}};
  StoredKeys keys;
  GnomePointerSettings gnome;
  for (const Case& t : cases) {
    if (t.written) {
      ASSERT_TRUE(gnome.setPointerSpeed(t.speed).ok());
      EXPECT_NEAR(keys.speed(), t.key, 1e-9) << "speed " << t.speed;
      EXPECT_NEAR(GnomePointerSettings::gsettingsSpeed(t.speed), t.key, 1e-9);
    }
    keys.setSpeed(t.key);
    EXPECT_EQ(gnome.readPointerSpeed().value(), t.speed) << "key " << t.key;
  }
  // Speeds outside 1..20 are written as the nearest end.
  ASSERT_TRUE(gnome.setPointerSpeed(0).ok());
  EXPECT_NEAR(keys.speed(), -0.9, 1e-9);
  ASSERT_TRUE(gnome.setPointerSpeed(30).ok());
  EXPECT_NEAR(keys.speed(), 1.0, 1e-9);
}

TEST(PointerSettings, GnomeKeysOfPrecisionAndDoubleClick) {
  StoredKeys keys;
  GnomePointerSettings gnome;
  ASSERT_TRUE(gnome.setPrecision(true).ok());
  EXPECT_EQ(keys.profile(), "adaptive");
  ASSERT_TRUE(gnome.setPrecision(false).ok());
  EXPECT_EQ(keys.profile(), "flat");
  const std::pair<const char*, bool> profiles[] = {{"default", true}, {"flat", false}, {"adaptive", true}};
  for (auto [profile, on] : profiles) {
    keys.setProfile(profile);
    EXPECT_EQ(gnome.readPrecision().value(), on) << profile;
  }
  ASSERT_TRUE(gnome.setDoubleClickTime(550).ok());
  EXPECT_EQ(keys.doubleClick(), 550);

  EXPECT_EQ(gnome.source(PointerSetting::Speed), "GSettings org.gnome.desktop.peripherals.mouse speed");
  EXPECT_EQ(gnome.source(PointerSetting::Precision),
            "GSettings org.gnome.desktop.peripherals.mouse accel-profile");
  EXPECT_EQ(gnome.source(PointerSetting::DoubleClick),
            "GSettings org.gnome.desktop.peripherals.mouse double-click");
  EXPECT_EQ(gnome.source(PointerSetting::ScrollLines), "kept for this run");
  // On GNOME with the schema installed the desktop gets GNOME's implementation.
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  const std::string before = desktop != nullptr ? desktop : "";
  ::setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
  EXPECT_EQ(makeDesktopPointerSettings()->source(PointerSetting::Speed), gnome.source(PointerSetting::Speed));
  ::setenv("XDG_CURRENT_DESKTOP", before.c_str(), 1);
}

// Each desktop's own store, never another's: GSettings on KDE Plasma, or on a
// desktop that does not read them, would report success for nothing.
TEST(PointerSettings, TheRunningDesktopChoosesTheStore) {
  struct Case {
    const char* desktop;
    bool gnomeUsable, kwinAnswers, x11Devices;
    PointerStore store;
  };
  const Case cases[] = {
      {"GNOME", true, false, true, PointerStore::Gnome},
      {"ubuntu:GNOME", true, false, false, PointerStore::Gnome},
      {"Unity", true, false, false, PointerStore::Gnome},
      {"GNOME", false, false, true, PointerStore::Kept},  // GNOME's daemon owns the devices
      {"KDE", true, true, true, PointerStore::Kde},
      {"KDE", true, false, true, PointerStore::Kept},
      {"XFCE", true, true, true, PointerStore::XInput},
      {"XFCE", true, true, false, PointerStore::Kept},
      {"X-Cinnamon", true, false, false, PointerStore::Kept},
      {"", true, true, true, PointerStore::XInput},  // a bare window manager
      {"", true, true, false, PointerStore::Kept},
      {nullptr, true, true, false, PointerStore::Kept},
  };
  for (const Case& c : cases)
    EXPECT_EQ(choosePointerStore(c.desktop, c.gnomeUsable, c.kwinAnswers, c.x11Devices), c.store)
        << (c.desktop ? c.desktop : "(unset)") << " gnome " << c.gnomeUsable << " kwin " << c.kwinAnswers
        << " x11 " << c.x11Devices;
  // X11 devices count only in an X11 session: a Wayland session's X server
  // has the compositor's stand-ins.
  struct Session {
    const char *type, *wayland, *display;
    bool x11;
  } const sessions[] = {{"x11", nullptr, ":0", true},      {nullptr, nullptr, ":0", true},
                        {"tty", "", ":1", true},           {"wayland", nullptr, ":0", false},
                        {"x11", "wayland-0", ":0", false}, {"x11", nullptr, "", false},
                        {nullptr, nullptr, nullptr, false}};
  for (const Session& t : sessions)
    EXPECT_EQ(x11Session(t.type, t.wayland, t.display), t.x11)
        << (t.type ? t.type : "-") << " " << (t.wayland ? t.wayland : "-") << " "
        << (t.display ? t.display : "-");
}

// Each set reaches every pointer device with the property, keeps the length
// of the driver's profile list, and passes over a device that refuses it.
TEST(PointerSettings, X11SetsReachEveryPointerDeviceWithTheProperty) {
  auto owned = std::make_unique<FakeXInput>();
  FakeXInput& x = *owned;
  X11PointerSettings desktop(std::move(owned));
  const std::string speed = X11PointerSettings::kSpeedProperty,
                    profile = X11PointerSettings::kProfileProperty;
  EXPECT_EQ(desktop.source(PointerSetting::Speed),
            "X input device property \"libinput Accel Speed\" of Gaming Mouse, Touchpad, Trackpoint");
  EXPECT_EQ(desktop.source(PointerSetting::Precision),
            "X input device property \"libinput Accel Profile Enabled\" of Gaming Mouse, Touchpad");
  EXPECT_EQ(desktop.source(PointerSetting::DoubleClick), "kept for this run");
  EXPECT_EQ(desktop.source(PointerSetting::ScrollLines), "kept for this run");

  RecordingSink sink;
  applyPointerValues(desktop, {false, 20, 7, 300}, sink);
  EXPECT_TRUE(sink.messages.empty());
  for (int id : {FakeXInput::kMouse, FakeXInput::kTouchpad, FakeXInput::kTrackpoint})
    EXPECT_EQ(x.values[id].floats[speed], std::vector<float>{1.0F}) << id;
  EXPECT_EQ(x.values[FakeXInput::kMouse].bytes[profile], (std::vector<std::uint8_t>{0, 1, 0}));
  EXPECT_EQ(x.values[FakeXInput::kTouchpad].bytes[profile], (std::vector<std::uint8_t>{0, 1}));
  EXPECT_EQ(x.values[FakeXInput::kTrackpoint].bytes.count(profile), 0U);
  EXPECT_EQ(x.values[FakeXInput::kXTest].floats.size() + x.values[FakeXInput::kXTest].bytes.size(), 1U);

  x.refusing = FakeXInput::kMouse;  // listed first: the others must still get it
  applyPointerValues(desktop, {true, 1, 3, 500}, sink);
  EXPECT_EQ(sink.messages,
            (std::vector<Message>{{"SETMOUSE failed.", "Warning"}, {"SETMOUSESPEED failed.", "Warning"}}));
  EXPECT_EQ(x.values[FakeXInput::kTouchpad].bytes[profile], (std::vector<std::uint8_t>{1, 0}));
  EXPECT_NEAR(x.values[FakeXInput::kTrackpoint].floats[speed][0], -0.9F, 1e-6);

  // The mouse unplugged and no pointer left with the properties: a set says so.
  x.devices.resize(1);
  EXPECT_EQ(desktop.setPointerSpeed(10).code(), ENODEV);
  EXPECT_EQ(desktop.setPrecision(true).code(), ENODEV);
}

// A server whose pointers lack the libinput driver (Xvfb's, or a desktop
// with another driver): the store is not chosen, and were it made it keeps
// every setting.
TEST(PointerSettings, X11WithoutLibinputDevicesKeepsEverything) {
  auto owned = std::make_unique<FakeXInput>();
  owned->devices.resize(1);  // XTest's pointer only
  EXPECT_FALSE(X11PointerSettings::servesAny(*owned));
  X11PointerSettings desktop(std::move(owned));
  for (PointerSetting p : kPointerSettings) EXPECT_EQ(desktop.source(p), "kept for this run");
  ASSERT_TRUE(desktop.setPointerSpeed(4).ok());
  EXPECT_EQ(desktop.readPointerSpeed().value(), 4);
  FakeXInput full;
  EXPECT_TRUE(X11PointerSettings::servesAny(full));
}

TEST(PointerSettings, GnomeIsUsedOnlyWhereItsStoreCanKeepASet) {
  const test::TempDir withBus, withoutBus;
  const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(socket, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string busPath = withBus.path() + "/bus";
  ASSERT_LT(busPath.size(), sizeof address.sun_path);
  std::copy(busPath.begin(), busPath.end(), address.sun_path);
  ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  withoutBus.write("bus", "");  // a file, not a socket
  const std::string& busDir = withBus.path();
  const std::string& fileDir = withoutBus.path();
  struct Case {
    const char* backend;
    const char* address;
    const char* runtimeDir;
    bool writable;
  } const cases[] = {
      {"GMemorySettingsBackend", nullptr, nullptr, true},
      {"GKeyfileSettingsBackend", nullptr, nullptr, true},
      {"DConfSettingsBackend", "unix:path=/run/user/1000/bus", nullptr, true},
      {"DConfSettingsBackend", nullptr, busDir.c_str(), true},
      {"DConfSettingsBackend", "", busDir.c_str(), true},
      {"DConfSettingsBackend", nullptr, fileDir.c_str(), false},
      {"DConfSettingsBackend", "", "", false},
      {"DConfSettingsBackend", nullptr, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.backend) + " " + (c.address ? c.address : "-") + " " +
                 (c.runtimeDir ? c.runtimeDir : "-"));
    EXPECT_EQ(GnomePointerSettings::storeWritable(c.backend, c.address, c.runtimeDir), c.writable);
  }
  ::close(socket);
  // The tests' in-memory store keeps every set.
  EXPECT_TRUE(GnomePointerSettings::storeWritable());
}

TEST(PointerSettings, ARefusedWriteShowsItsMessageAndTheNextCallRuns) {
  GnomePointerSettings locked(GnomePointerSettings::Store::ReadOnly);
  const Status s = locked.setPointerSpeed(4);
  ASSERT_FALSE(s.ok());
  EXPECT_EQ(s.error().call, "g_settings_set(org.gnome.desktop.peripherals.mouse speed)");
  EXPECT_EQ(s.error().code, EACCES);

  RecordingSink sink;
  applyPointerValues(locked, {true, 4, 9, 300}, sink);
  EXPECT_EQ(sink.messages, (std::vector<Message>{{"SETMOUSE failed.", "Warning"},
                                                 {"SETMOUSESPEED failed.", "Warning"},
                                                 {"SPI_SETDOUBLECLICKTIME failed.", "Warning"}}));
  // The scroll lines, kept by the program, were set after the refusals.
  EXPECT_EQ(locked.readScrollLines().value(), 9u);
  EXPECT_EQ(locked.readPointerSpeed().value(), 10) << "the store keeps the schema's default";
}

// A desktop whose every call fails.
class FailingDesktop : public PointerSettings {
 public:
  Result<bool> readPrecision() override { return fail(); }
  Result<int> readPointerSpeed() override { return fail(); }
  Result<std::uint32_t> readScrollLines() override { return fail(); }
  Result<int> readDoubleClickTime() override { return fail(); }
  Status setPrecision(bool) override { return fail(); }
  Status setPointerSpeed(int) override { return fail(); }
  Status setScrollLines(std::uint32_t) override { return fail(); }
  Status setDoubleClickTime(int) override { return fail(); }
  std::string source(PointerSetting) const override { return "failing"; }
  int calls = 0;

 private:
  Error fail() {
    ++calls;
    return Error{"set", EIO};
  }
};

TEST(PointerSettings, EveryFailingCallShowsItsOwnMessage) {
  FailingDesktop desktop;
  RecordingSink sink;
  const PointerReading r = readPointerValues(desktop, sink);
  EXPECT_FALSE(r.precision || r.speed || r.scrollLines || r.doubleClickMs);
  applyPointerValues(desktop, kDefaultPointerValues, sink);
  EXPECT_EQ(desktop.calls, 8);
  // A failed precision read says nothing: it reads as off.
  EXPECT_EQ(sink.messages, (std::vector<Message>{{"GETMOUSESPEED failed.", "Warning"},
                                                 {"GETWHEELSCROLLLINES failed.", "Warning"},
                                                 {"GetDoubleClickTime failed.", "Warning"},
                                                 {"SETMOUSE failed.", "Warning"},
                                                 {"SETMOUSESPEED failed.", "Warning"},
                                                 {"SETWHEELSCROLLLINES failed.", "Warning"},
                                                 {"SPI_SETDOUBLECLICKTIME failed.", "Warning"}}));
}

}  // namespace
}  // namespace hm
