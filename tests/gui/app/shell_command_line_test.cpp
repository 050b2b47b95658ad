// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of the program, and the colours the window gives its
// real child controls.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "core/settings/mouse_config.h"
#include "core/version.h"
#include "fixtures.h"
#include "gui/app/command_line.h"
#include "gui/app/frame_colours.h"
#include "gui/skin/skin_text.h"

namespace hm::test {
namespace {

ParsedCommandLine parse(QStringList args) {
  args.prepend(QStringLiteral("hidmouse"));
  return parseCommandLine(args);
}

TEST(ShellCommandLine, OptionsAreTakenAsGiven) {
  struct Case {
    const char* what;
    QStringList args;
    std::function<bool(const CommandLine&)> check;
  };
  const Case cases[] = {
      {"nothing",
       {},
       [](const CommandLine& o) {
         return !o.shared.simulate && !o.show && !o.shared.verbose && o.shared.dataDir.empty() &&
                !o.language && o.screenshot.isEmpty() && !o.shared.simSensor && o.shared.simEvents.empty();
       }},
      {"simulate with sensor",
       {"--simulate", "--sim-sensor", "1,2,16,255"},
       [](const CommandLine& o) {
         return o.shared.simulate && o.shared.simSensor == std::array<std::uint8_t, 4>{1, 2, 16, 255};
       }},
      {"simulate with events",
       {"--simulate", "--sim-events", "7:2, unplug,plug"},
       [](const CommandLine& o) {
         using K = SimEvent::Kind;
         return o.shared.simEvents == std::vector<SimEvent>{{K::Notification, 7, 2}, {K::Unplug}, {K::Plug}};
       }},
      {"data dir",
       {"--data-dir", "/tmp/x"},
       [](const CommandLine& o) { return o.shared.dataDir == "/tmp/x"; }},
      {"language zh_CN",
       {"--language", "zh_CN"},
       [](const CommandLine& o) { return o.language == Language::SimplifiedChinese; }},
      {"language zh-tw",
       {"--language=zh-tw"},
       [](const CommandLine& o) { return o.language == Language::TraditionalChinese; }},
      {"language EN",
       {"--language", "EN"},
       [](const CommandLine& o) { return o.language == Language::English; }},
      {"the toolkit's own options, left to it",
       {"-platform", "offscreen", "-style", "fusion", "-reverse"},
       [](const CommandLine& o) { return !o.shared.simulate && !o.show; }},
      {"show and verbose",
       {"--show", "--verbose"},
       [](const CommandLine& o) { return o.show && o.shared.verbose; }},
      {"screenshot basic by default",
       {"--screenshot", "a.png"},
       [](const CommandLine& o) { return o.screenshot == "a.png" && o.screenshotPage == kBasicPage; }},
      {"screenshot advanced",
       {"--screenshot", "a.png", "--page", "advanced"},
       [](const CommandLine& o) { return o.screenshotPage == kAdvancedPage; }},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine r = parse(c.args);
    ASSERT_EQ(r.action, ParsedCommandLine::Action::Run) << c.what << ": " << r.message.toStdString();
    EXPECT_TRUE(c.check(r.options)) << c.what;
  }
}

TEST(ShellCommandLine, MistakesAreOneLineNamingTheOption) {
  struct Case {
    QStringList args;
    const char* mentions;
  };
  const Case cases[] = {
      {{"--language", "de"}, "--language"},
      {{"--simulate", "--sim-sensor", "1,2,3"}, "--sim-sensor"},
      {{"--simulate", "--sim-sensor", "1,2,3,256"}, "--sim-sensor"},
      {{"--simulate", "--sim-sensor", "1,2,0x10,255"}, "--sim-sensor"},  // decimal only, as hidmousectl
      {{"--simulate", "--sim-sensor", "a,b,c,d"}, "--sim-sensor"},
      {{"--sim-sensor", "1,2,3,4"}, "--simulate"},
      {{"--sim-events", "5:1"}, "--simulate"},
      {{"--simulate", "--sim-events", "5:1,eject"}, "\"eject\" is not TYPE:VALUE, unplug or plug"},
      {{"--simulate", "--sim-events", ""}, "--sim-events"},
      {{"--page", "basic"}, "--screenshot"},
      {{"--screenshot", "a.png", "--page", "middle"}, "--page"},
      {{"--screenshot"}, "screenshot"},
      {{"--bogus"}, "bogus"},
      {{"stray"}, "stray"},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine r = parse(c.args);
    EXPECT_EQ(r.action, ParsedCommandLine::Action::Error) << c.args.join(' ').toStdString();
    EXPECT_TRUE(r.message.startsWith(QStringLiteral("hidmouse: "))) << r.message.toStdString();
    EXPECT_TRUE(r.message.contains(QLatin1String(c.mentions))) << r.message.toStdString();
    EXPECT_FALSE(r.message.contains(QLatin1Char('\n'))) << r.message.toStdString();
  }
  EXPECT_EQ(parse({"--help"}).action, ParsedCommandLine::Action::Help);
  EXPECT_EQ(parse({"--version"}).message, QStringLiteral("hidmouse ") + QLatin1String(kVersion));
}

TEST(ShellChildColours, ByKindAndIdentifier) {
  SkinStyle style;
  style.textColor = QColor(10, 200, 30);
  MouseConfig config{};
  config.clear();
  config.loopColor[0][0] = 255;
  config.loopColor[7][0] = 1;
  config.loopColor[7][1] = 2;
  config.loopColor[7][2] = 3;
  const QColor skin = style.textColor, black(0, 0, 0), white(255, 255, 255);
  struct Case {
    ChildKind kind;
    int id;
    ChildColours expected;
  };
  const Case cases[] = {
      {ChildKind::Edit, 0, {skin, black, false}},
      {ChildKind::List, 151, {skin, QColor(2, 4, 5), false}},
      {ChildKind::List, 152, {skin, QColor(2, 4, 5), false}},
      {ChildKind::List, 41, {white, black, true}},
      {ChildKind::List, 153, {white, black, true}},
      {ChildKind::Static, 75, {std::nullopt, QColor(255, 0, 0), false}},
      {ChildKind::Static, 82, {std::nullopt, QColor(1, 2, 3), false}},
      {ChildKind::Static, 83, {skin, QColor(100, 150, 100), true}},
      {ChildKind::Static, 74, {skin, QColor(100, 150, 100), true}},
      {ChildKind::Static, 86, {skin, black, true}},
      {ChildKind::Static, 119, {skin, black, true}},
      {ChildKind::Button, 1, {}},
      {ChildKind::Other, 75, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(childColours(c.kind, c.id, style, config), c.expected)
        << static_cast<int>(c.kind) << " " << c.id;

  application();
  QLineEdit edit;
  applyChildColours(edit, ChildKind::Edit, 0, style, config);
  EXPECT_EQ(edit.palette().color(QPalette::Text), skin);
  EXPECT_EQ(edit.palette().color(QPalette::Base), black);
}

}  // namespace
}  // namespace hm::test
