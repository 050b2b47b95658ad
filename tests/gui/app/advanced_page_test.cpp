// SPDX-License-Identifier: GPL-3.0-or-later
// The Advanced page's pointer settings in the real main window over the
// simulated mouse, clicked at their client coordinates, with a desktop that
// records what it is asked: the first paint's reading, the sliders and ticks,
// "Default" at once, OK / Apply after the mouse, and Cancel.
#include <gtest/gtest.h>

#include <set>

#include "basic_fixture.h"
#include "gui/app/advanced_layout.h"
#include "gui/app/advanced_page.h"
#include "gui/app/frame.h"
#include "platform/pointer_settings.h"

namespace hm::test {
namespace {

// A desktop holding its values, failing where asked, recording every call.
class FakeDesktop : public PointerSettings {
 public:
  Result<bool> readPrecision() override { return read("readPrecision", values.precision); }
  Result<int> readPointerSpeed() override { return read("readPointerSpeed", values.speed); }
  Result<std::uint32_t> readScrollLines() override { return read("readScrollLines", values.scrollLines); }
  Result<int> readDoubleClickTime() override { return read("readDoubleClickTime", values.doubleClickMs); }
  Status setPrecision(bool on) override { return set("setPrecision", values.precision, on); }
  Status setPointerSpeed(int s) override { return set("setPointerSpeed", values.speed, s); }
  Status setScrollLines(std::uint32_t l) override { return set("setScrollLines", values.scrollLines, l); }
  Status setDoubleClickTime(int ms) override { return set("setDoubleClickTime", values.doubleClickMs, ms); }
  std::string source(PointerSetting) const override { return "fake"; }

  // The set calls, as "setPointerSpeed 10".
  std::vector<std::string> sets() const {
    std::vector<std::string> out;
    for (const std::string& c : calls)
      if (c.rfind("set", 0) == 0) out.push_back(c);
    return out;
  }
  int reads() const { return static_cast<int>(calls.size() - sets().size()); }

  PointerValues values{false, 10, 3, 500};
  std::set<std::string> failing;  // operation names
  std::vector<std::string> calls;
  std::function<void()> onSet;  // runs at every set call

 private:
  template <class T>
  Result<T> read(const char* op, T value) {
    calls.push_back(op);
    if (failing.count(op) != 0) return Error{op, EIO};
    return value;
  }
  template <class T, class V>
  Status set(const char* op, T& field, V value) {
    calls.push_back(std::string(op) + " " + std::to_string(value));
    if (onSet) onSet();
    if (failing.count(op) != 0) return Error{op, EIO};
    field = static_cast<T>(value);
    return {};
  }
};

std::vector<std::string> setsOf(const PointerValues& v) {
  return {"setPrecision " + std::to_string(int(v.precision)), "setPointerSpeed " + std::to_string(v.speed),
          "setScrollLines " + std::to_string(v.scrollLines),
          "setDoubleClickTime " + std::to_string(v.doubleClickMs)};
}

// What the page shows: lit cells of the three sliders, and the two ticks.
struct Shown {
  int speed, lines, doubleClick;
  bool precision, oneScreen;
  bool operator==(const Shown&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const Shown& s) {
    return os << s.speed << "/" << s.lines << "/" << s.doubleClick << " ticks " << s.precision << s.oneScreen;
  }
};

QPoint cellPoint(PointerSlider s, int n) { return centre(advanced::sliderCell(static_cast<int>(s), n)); }

// The main window with the record in config.bin and the fake as its desktop.
class AdvancedShell {
 public:
  explicit AdvancedShell(const MouseConfig& record = withPointer(factoryConfig()),
                         std::function<void(FakeDesktop&)> desktopChange = {})
      : window(record) {
    if (desktopChange) desktopChange(desktop);
    window.shell.dlg->context().pointerSettings = &desktop;
  }
  // Pointer fields every case starts from (unlike the desktop's values).
  static MouseConfig withPointer(MouseConfig c) {
    c.enhancePointerPrecision = 1;
    c.scrollOneScreen = 0;
    c.pointerSpeedStep = 9;
    c.scrollLines = 8;
    c.doubleClickStep = 2;
    return c;
  }

  void open() { window.shell.dlg->showAdvancedPage(); }
  void click(QPoint p) { window.shell.click(p); }
  void apply() { click(frame::kApply.center()); }
  MouseConfig& working() { return window.working(); }
  const std::vector<Message>& messages() const { return window.shell.sink.messages; }

  int lit(PointerSlider s) const {
    const int row = static_cast<int>(s);
    int n = 0;
    for (int c = 1; c <= advanced::kSliderCells; ++c) {
      if (window.shows(advanced::sliderCell(row, c), skin::kSliderLight)) {
        if (n != c - 1) return -1;
        n = c;
      } else if (!window.shows(advanced::sliderCell(row, c), skin::kSliderDark)) {
        return -1;
      }
    }
    return n;
  }
  bool ticked(const advanced::Box& tick) const {
    if (window.shows(tick, skin::kPaneOn)) return true;
    EXPECT_TRUE(window.shows(tick, skin::kPaneOff)) << "a tick shows one of its two images";
    return false;
  }
  Shown shown() const {
    return {lit(PointerSlider::Speed), lit(PointerSlider::ScrollLines), lit(PointerSlider::DoubleClick),
            ticked(advanced::kPrecisionTick), ticked(advanced::kOneScreenTick)};
  }

  FakeDesktop desktop;
  BasicShell window;
};

TEST(AdvancedPage, TheFirstPaintShowsTheDesktopAndApplyHandsItBack) {
  struct Case {
    const char* name;
    std::function<void(FakeDesktop&)> desktop;
    Shown shown;
    PointerValues applied;
    std::vector<Message> messages;
  };
  const Case cases[] = {
      {"neutral", {}, {6, 3, 6, false, false}, {false, 10, 3, 550}, {}},
      {"speed 11 shows step 6 and goes back as 10",
       [](FakeDesktop& d) { d.values.speed = 11; },
       {6, 3, 6, false, false},
       {false, 10, 3, 550},
       {}},
      {"one screen per notch",
       [](FakeDesktop& d) { d.values.scrollLines = kScrollOneScreen; },
       {6, 0, 6, false, true},
       {false, 10, kScrollOneScreen, 550},
       {}},
      {"precision, slowest, many lines",
       [](FakeDesktop& d) {
         d.values = {true, 1, 40, 1200};
       },
       {1, 11, 1, true, false},
       {true, 1, 11, 900},
       {}},
      {"fastest",
       [](FakeDesktop& d) {
         d.values = {false, 20, 1, 150};
       },
       {11, 1, 11, false, false},
       {false, 20, 1, 200},
       {}},
      {"failed reads keep the defaults",
       [](FakeDesktop& d) {
         d.values = {true, 2, 9, 300};
         d.failing = {"readPrecision", "readPointerSpeed", "readScrollLines", "readDoubleClickTime"};
       },
       {6, 3, 6, false, false},
       {false, 10, 3, 550},
       {{"GETMOUSESPEED failed.", "Warning"},
        {"GETWHEELSCROLLLINES failed.", "Warning"},
        {"GetDoubleClickTime failed.", "Warning"}}},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.name);
    AdvancedShell s(AdvancedShell::withPointer(factoryConfig()), t.desktop);
    ASSERT_TRUE(s.window.started);
    s.open();
    EXPECT_EQ(s.shown(), t.shown);
    EXPECT_EQ(s.desktop.reads(), 4);
    EXPECT_EQ(s.messages(), t.messages);
    EXPECT_TRUE(s.desktop.sets().empty()) << "nothing set before OK / Apply";
    // Later paints draw the fields: the desktop is not read again.
    s.click(frame::kBasicTab.center());
    s.click(frame::kAdvancedTab.center());
    EXPECT_EQ(s.desktop.reads(), 4);
    EXPECT_EQ(s.shown(), t.shown);

    const std::size_t before = s.window.shell.mouse.commands().size();
    std::size_t atFirstSet = 0;
    s.desktop.onSet = [&] {
      if (atFirstSet == 0) atFirstSet = s.window.shell.mouse.commands().size();
    };
    s.apply();
    EXPECT_GT(atFirstSet, before) << "the mouse is written first";
    EXPECT_EQ(s.desktop.sets(), setsOf(t.applied));
  }
}

TEST(AdvancedPage, ClicksChangeTheRecordAndShowItOnly) {
  struct Case {
    const char* name;
    std::vector<QPoint> clicks;
    Shown shown;
    PointerValues applied;
  };
  const advanced::Box speed11 = advanced::sliderCell(0, 11);
  const Case cases[] = {
      {"nothing", {}, {6, 3, 6, false, false}, {false, 10, 3, 550}},
      {"speed cell 11", {cellPoint(PointerSlider::Speed, 11)}, {11, 3, 6, false, false}, {false, 20, 3, 550}},
      {"speed cell 1", {cellPoint(PointerSlider::Speed, 1)}, {1, 3, 6, false, false}, {false, 1, 3, 550}},
      {"scroll cell 7",
       {cellPoint(PointerSlider::ScrollLines, 7)},
       {6, 7, 6, false, false},
       {false, 10, 7, 550}},
      {"double-click cell 11",
       {cellPoint(PointerSlider::DoubleClick, 11)},
       {6, 3, 11, false, false},
       {false, 10, 3, 200}},
      {"a cell's right edge is the next cell", {{76, 205}}, {2, 3, 6, false, false}, {false, 2, 3, 550}},
      {"past the last cell nothing",
       {{speed11.right, 205}, {speed11.left, speed11.bottom}},
       {6, 3, 6, false, false},
       {false, 10, 3, 550}},
      {"precision tick", {centre(advanced::kPrecisionTick)}, {6, 3, 6, true, false}, {true, 10, 3, 550}},
      {"precision tick twice",
       {centre(advanced::kPrecisionTick), centre(advanced::kPrecisionTick)},
       {6, 3, 6, false, false},
       {false, 10, 3, 550}},
      {"one-screen tick keeps the scroll step",
       {cellPoint(PointerSlider::ScrollLines, 5), centre(advanced::kOneScreenTick)},
       {6, 5, 6, false, true},
       {false, 10, kScrollOneScreen, 550}},
      {"the tick's label is not the tick",
       {centre(advanced::kOneScreenLabel)},
       {6, 3, 6, false, false},
       {false, 10, 3, 550}},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.name);
    AdvancedShell s;
    s.open();
    for (QPoint p : t.clicks) s.click(p);
    EXPECT_EQ(s.shown(), t.shown);
    EXPECT_TRUE(s.desktop.sets().empty());
    s.apply();
    EXPECT_EQ(s.desktop.sets(), setsOf(t.applied));
    EXPECT_TRUE(s.messages().empty());
  }
}

TEST(AdvancedPage, DefaultSetsTheDesktopAtOnceThenTheFields) {
  AdvancedShell s(AdvancedShell::withPointer(factoryConfig()), [](FakeDesktop& d) {
    d.values = {true, 18, kScrollOneScreen, 300};
    d.failing = {"setPointerSpeed"};
  });
  s.open();
  ASSERT_EQ(s.shown(), (Shown{10, 0, 9, true, true}));
  s.window.shell.hover(centre(advanced::kDefaultButton));
  EXPECT_TRUE(s.window.shell.dlg->hover().pageHighlighted(AdvancedPage::kDefaultHoverId));
  EXPECT_TRUE(s.window.shows(advanced::kDefaultButton, skin::kButtonOver, true));

  s.click(centre(advanced::kDefaultButton));
  // The refused speed says so; the calls after it still run.
  EXPECT_EQ(s.desktop.sets(), setsOf({false, 10, 3, 500}));
  EXPECT_EQ(s.messages(), (std::vector<Message>{{"SETMOUSESPEED failed.", "Warning"}}));
  EXPECT_EQ(s.shown(), (Shown{6, 3, 6, false, false}));
  EXPECT_EQ(s.desktop.values, (PointerValues{false, 18, 3, 500}));

  // The double-click slider now shows step 6, which is 550 ms, not 500.
  s.desktop.calls.clear();
  s.desktop.failing.clear();
  s.apply();
  EXPECT_EQ(s.desktop.sets(), setsOf({false, 10, 3, 550}));
}

TEST(AdvancedPage, ApplyWithoutThePageHandsOverTheLoadedRecord) {
  struct Case {
    const char* name;
    void (*change)(MouseConfig&);
    PointerValues applied;
  };
  const Case cases[] = {
      {"as loaded", [](MouseConfig&) {}, {true, 16, 8, 830}},
      {"one screen", [](MouseConfig& c) { c.scrollOneScreen = 1; }, {true, 16, kScrollOneScreen, 830}},
      {"zero steps are the defaults",
       [](MouseConfig& c) {
         c.enhancePointerPrecision = 0;
         c.pointerSpeedStep = 0;
         c.scrollLines = 0;
         c.doubleClickStep = 0;
       },
       {false, 10, 3, 550}},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.name);
    MouseConfig record = AdvancedShell::withPointer(factoryConfig());
    t.change(record);
    AdvancedShell s(record);
    s.desktop.failing = {"readPrecision", "readPointerSpeed", "readScrollLines", "readDoubleClickTime"};
    s.apply();
    EXPECT_EQ(s.desktop.reads(), 0) << "the page was never painted";
    EXPECT_EQ(s.desktop.sets(), setsOf(t.applied));
    s.desktop.calls.clear();
    s.click(frame::kOk.center());
    EXPECT_EQ(s.desktop.sets(), setsOf(t.applied)) << "OK as well";
  }
}

TEST(AdvancedPage, CancelAfterClicksLeavesTheDesktopAlone) {
  AdvancedShell s(AdvancedShell::withPointer(factoryConfig()), [](FakeDesktop& d) {
    d.values = {true, 4, 5, 760};
  });
  s.open();
  const MouseConfig saved = s.window.shell.dlg->saved();
  ASSERT_EQ(s.shown(), (Shown{3, 5, 3, true, false}));
  for (QPoint p : {cellPoint(PointerSlider::Speed, 10), cellPoint(PointerSlider::ScrollLines, 2),
                   cellPoint(PointerSlider::DoubleClick, 9), centre(advanced::kPrecisionTick),
                   centre(advanced::kOneScreenTick)})
    s.click(p);
  ASSERT_EQ(s.shown(), (Shown{10, 2, 9, false, true}));

  s.click(frame::kCancel.center());
  EXPECT_EQ(s.working(), saved);
  EXPECT_EQ(s.shown(), (Shown{9, 8, 2, true, false}))
      << "at once: without a window manager the window stays on screen, showing what Apply sends";
  s.window.shell.tray->click();  // shown again: the page is repainted from the saved copy
  EXPECT_EQ(s.shown(), (Shown{9, 8, 2, true, false})) << "config.bin's values, as Cancel restores them";
  EXPECT_EQ(s.desktop.sets(), std::vector<std::string>{});
  EXPECT_EQ(s.desktop.reads(), 4);
  EXPECT_EQ(s.desktop.values, (PointerValues{true, 4, 5, 760}));
}

}  // namespace
}  // namespace hm::test
