// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's pointer settings: the GNOME implementation for real against
// GSettings' in-memory backend, and the values kept for the run, through the
// same table of cases; then GNOME's own keys, a read-only store refusing
// writes, and the messages of failing calls.
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
#include <memory>

#include "platform/pointer_settings.h"
#include "platform/pointer_settings_gnome.h"
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
    bool gnomeUsable, kwinAnswers;
    PointerStore store;
  };
  const Case cases[] = {
      {"GNOME", true, false, PointerStore::Gnome}, {"ubuntu:GNOME", true, false, PointerStore::Gnome},
      {"Unity", true, false, PointerStore::Gnome}, {"GNOME", false, false, PointerStore::Kept},
      {"KDE", true, true, PointerStore::Kde},      {"KDE", true, false, PointerStore::Kept},
      {"XFCE", true, true, PointerStore::Kept},    {"X-Cinnamon", true, false, PointerStore::Kept},
      {"", true, true, PointerStore::Kept},        {nullptr, true, true, PointerStore::Kept},
  };
  for (const Case& c : cases)
    EXPECT_EQ(choosePointerStore(c.desktop, c.gnomeUsable, c.kwinAnswers), c.store)
        << (c.desktop ? c.desktop : "(unset)") << " gnome " << c.gnomeUsable << " kwin " << c.kwinAnswers;
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
  const std::string busDir = withBus.path(), fileDir = withoutBus.path();
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
