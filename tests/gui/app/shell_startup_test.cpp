// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the main window: with and without the mouse, without
// config.bin, without "/main.png", the text colour, and the program's
// own start-up paths (second instance, screenshots, bad arguments).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QProcessEnvironment>
#include <array>
#include <cmath>

#include "core/device/device_link.h"
#include "core/settings/ui_text.h"
#include "fixtures.h"
#include "gui/app/frame_layout.h"
#include "gui/app/hid_mouse_dlg.h"
#include "gui/skin/skin_library.h"
#include "platform/hid/linux_hid_backend.h"
#include "platform/single_instance.h"
#include "support/fake_hidraw_mouse.h"
#include "support/param_name.h"

namespace hm::test {
namespace {

TEST(ShellStartup, WithTheMouseTheBasicPageIsDrawnAndTheWindowStaysHidden) {
  Shell shell;
  ASSERT_TRUE(shell.start());
  EXPECT_TRUE(shell.sink.messages.empty());
  EXPECT_TRUE(shell.dlg->deviceOpen());
  EXPECT_EQ(shell.dlg->currentPage(), kBasicPage);
  EXPECT_TRUE(shell.dlg->basicPageShown());
  EXPECT_TRUE(shell.dlg->device().readerReleased());
  EXPECT_FALSE(shell.dlg->isVisible());
  EXPECT_EQ(shell.mouse.sensorWrites(), 1);  // the first Basic page runs the handshake
  // The tray icon carries the tip and the one-item menu.
  EXPECT_TRUE(shell.tray->shown);
  EXPECT_EQ(shell.tray->tip, QStringLiteral("Gaming mouse setting"));
  ASSERT_NE(shell.tray->menu, nullptr);
  ASSERT_EQ(shell.tray->menu->actions().size(), 1);
  EXPECT_EQ(shell.tray->menu->actions().first()->text(), QStringLiteral("Exit"));
  // The window takes the size of "/main.png"; the frame is frameless and has no taskbar entry.
  EXPECT_EQ(shell.dlg->size(), shell.dlg->skins().imageSize(QStringLiteral("/main.png")));
  EXPECT_TRUE(shell.dlg->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(shell.dlg->windowFlags() & Qt::Tool, Qt::Tool);
}

TEST(ShellStartup, WithoutTheMouseOneWarningAndNoPage) {
  struct Case {
    Language language;
    const char* text;
  };
  const Case cases[] = {
      {Language::English, "The system did not detect the gaming mouse!"},
      {Language::SimplifiedChinese, "系统没有检测到游戏鼠标！"},
      {Language::TraditionalChinese, "系統沒有檢測到遊戲滑鼠！"},
  };
  for (const Case& c : cases) {
    ShellOptions o;
    o.pluggedIn = false;
    o.language = c.language;
    Shell shell(o);
    ASSERT_TRUE(shell.start());
    EXPECT_EQ(shell.sink.messages, (std::vector<Message>{{c.text, "Warning"}}));
    EXPECT_FALSE(shell.dlg->deviceOpen());
    EXPECT_EQ(shell.dlg->currentPage(), kNoPage);
    EXPECT_FALSE(shell.dlg->basicPageShown());
    EXPECT_FALSE(shell.dlg->device().readerReleased());
    EXPECT_EQ(shell.mouse.sensorWrites(), 0);
    // The canvas is "/main.png" as loaded: no page covers it.
    const QImage main(shell.dlg->skins().resolve(QStringLiteral("/main.png")));
    ASSERT_FALSE(main.isNull());
    EXPECT_EQ(shell.picture().convertToFormat(QImage::Format_RGB32),
              main.convertToFormat(QImage::Format_RGB32));
  }
}

// Through the Linux backend: a mouse whose nodes the user may not open is
// named plainly, in the start-up warning's place; an absent one keeps it.
TEST(ShellStartup, APermissionRefusalIsNamedInsteadOfAMissingMouse) {
  struct Case {
    bool plugged;
    std::string text;
  };
  const Case cases[] = {
      {true,
       "permission denied on /dev/hidraw1: install the udev rule 70-hidmouse.rules and plug the mouse in "
       "again"},
      {false, "The system did not detect the gaming mouse!"},
  };
  for (const Case& c : cases) {
    FakeHidrawKernel kernel;
    HidrawMouse mouse(kernel, c.plugged);
    for (std::size_t i = 0; i < 3; ++i) kernel.setAccessible(mouse.device(), i, false);
    auto backend = makeLinuxHidBackendForSysfs(kernel.sysfsRoot(), kernel);
    ShellOptions o;
    o.backend = backend.get();
    Shell shell(o);
    ASSERT_TRUE(shell.start());
    EXPECT_EQ(shell.sink.messages, (std::vector<Message>{{c.text, "Warning"}}));
    EXPECT_FALSE(shell.dlg->deviceOpen());
    EXPECT_EQ(shell.dlg->currentPage(), kNoPage);
  }
}

TEST(ShellStartup, WithoutConfigBinTheStartGoesOnWithAZeroRecord) {
  ShellOptions o;
  o.withConfig = false;
  Shell shell(o);
  ASSERT_TRUE(shell.start());
  EXPECT_EQ(shell.sink.messages, (std::vector<Message>{{"Config file is not exist.", ""}}));
  MouseConfig zero{};
  zero.clear();
  EXPECT_EQ(shell.dlg->working(), zero);
  EXPECT_EQ(shell.dlg->saved(), zero);
  EXPECT_EQ(shell.dlg->currentPage(), kBasicPage);
  EXPECT_FALSE(QFileInfo::exists(shell.path("config.bin")));  // never created
}

// The start-up warnings are boxes that run events: "Exit" from the tray
// while one is open ends the run there; nothing later starts or is read.
struct ExitDuringBoxCase {
  const char* name;
  bool pluggedIn;
  bool withConfig;
  bool readerMade;  // the start got as far as the reader
  friend void PrintTo(const ExitDuringBoxCase& c, std::ostream* os) { *os << c.name; }
};

class ShellExitDuringBox : public ::testing::TestWithParam<ExitDuringBoxCase> {};

TEST_P(ShellExitDuringBox, StopsTheStart) {
  const ExitDuringBoxCase& c = GetParam();
  ShellOptions o;
  o.pluggedIn = c.pluggedIn;
  o.withConfig = c.withConfig;
  Shell shell(o);
  shell.sink.whileShown = [&] { shell.tray->menu->actions().front()->trigger(); };
  EXPECT_FALSE(shell.start());
  EXPECT_TRUE(shell.dlg->shutDown());
  EXPECT_EQ(shell.exitCode, 0);
  EXPECT_EQ(shell.sink.messages.size(), 1u);
  EXPECT_EQ(shell.dlg->device().hasReader(), c.readerMade);
  EXPECT_EQ(shell.dlg->canvas(), nullptr);
  EXPECT_EQ(shell.dlg->currentPage(), kNoPage);
}

INSTANTIATE_TEST_SUITE_P(Boxes, ShellExitDuringBox,
                         ::testing::Values(ExitDuringBoxCase{"mouse_missing", false, true, false},
                                           ExitDuringBoxCase{"config_bin_missing", true, false, true}),
                         hm::test::ParamName());

TEST(ShellStartup, ATrayClickDuringAStartUpMessageWaitsForTheStart) {
  ShellOptions o;
  o.withConfig = false;  // "Config file is not exist." while the mouse is open
  Shell shell(o);
  bool shownEarly = false;
  int pageEarly = -1;
  shell.sink.whileShown = [&] {
    shell.tray->click();
    shownEarly = shell.dlg->isVisible();
    pageEarly = shell.dlg->currentPage();
  };
  ASSERT_TRUE(shell.start());
  EXPECT_FALSE(shownEarly);
  EXPECT_EQ(pageEarly, kNoPage);  // nothing painted from a record not read yet
  EXPECT_EQ(shell.dlg->currentPage(), kBasicPage);
  shell.sink.whileShown = nullptr;
  shell.tray->click();
  EXPECT_TRUE(shell.dlg->isVisible());
}

TEST(ShellStartup, TheSkinTextColourKeepsTheLowByte) {
  Shell shell;
  ASSERT_TRUE(profile::writeString(shell.pathStd("str.ini"), "Skins", "RColor", "300"));
  ASSERT_TRUE(profile::writeString(shell.pathStd("str.ini"), "Skins", "GColor", "7"));
  ASSERT_TRUE(profile::writeString(shell.pathStd("str.ini"), "Skins", "BColor", "junk"));
  ASSERT_TRUE(shell.start());
  EXPECT_EQ(shell.dlg->style().textColor, QColor(44, 7, 0));
}

TEST(ShellStartup, WithoutMainPngThereIsNoCanvasAndNothingBreaks) {
  ShellOptions o;
  o.removeImages = std::vector<QString>{QStringLiteral("main.png")};
  Shell shell(o);
  ASSERT_TRUE(shell.start());
  EXPECT_EQ(shell.dlg->canvas(), nullptr);
  EXPECT_EQ(shell.dlg->beginDraw(), nullptr);
  EXPECT_EQ(shell.dlg->size(), QSize(0, 0));
  EXPECT_EQ(shell.dlg->currentPage(), kBasicPage);
  // Page switches, hover and Apply still work without a picture.
  shell.dlg->showAdvancedPage();
  EXPECT_EQ(shell.dlg->currentPage(), kAdvancedPage);
  shell.dlg->applyAction();
  EXPECT_EQ(shell.mouse.reportInterval(), shell.dlg->working().reportInterval);
}

TEST(ShellStartup, WithoutStrIniTheSkinFolderIsEmptyAndTheDefaultColourStays) {
  ShellOptions o;
  o.withStrIni = false;
  Shell shell(o);
  ASSERT_TRUE(shell.start());
  // No skin named: the folder is the Skins folder itself, which has no images.
  EXPECT_EQ(shell.dlg->canvas(), nullptr);
  EXPECT_EQ(shell.dlg->style().textColor, QColor(0, 0, 0));
}

TEST(ShellStartup, WithoutDeviceNotificationsTheStartStopsAndNothingIsOverwritten) {
  ShellOptions o;
  o.monitorFails = true;
  Shell shell(o);
  const QByteArray stored = shell.fileBytes("config.bin");
  EXPECT_FALSE(shell.start());
  EXPECT_EQ(shell.sink.messages, (std::vector<Message>{{"RegisterDeviceNotification failed!!!", ""}}));
  EXPECT_TRUE(shell.dlg->deviceOpen());
  EXPECT_EQ(shell.dlg->canvas(), nullptr);  // the skin is not loaded either
  EXPECT_EQ(shell.dlg->currentPage(), kNoPage);
  // The empty record is neither sent nor saved over the stored one.
  shell.mouse.clearLog();
  shell.dlg->applyAction();
  shell.dlg->okAction();
  EXPECT_TRUE(shell.mouse.commands().empty());
  EXPECT_EQ(shell.fileBytes("config.bin"), stored);
}

// ---- The program itself -------------------------------------------------

class ShellProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    ASSERT_TRUE(runtime.isValid());
    ASSERT_TRUE(data.isValid());
    for (const char* f : {"config.bin", "str.ini"}) {
      ASSERT_TRUE(QFile::copy(outputDir() + "/" + f, data.filePath(f)));
      QFile::setPermissions(data.filePath(f), QFile::ReadOwner | QFile::WriteOwner);
    }
    env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
  }
  QProcess* start(const QStringList& args) {
    auto* p = new QProcess;
    p->setProcessEnvironment(env);
    p->start(QString::fromUtf8(HM_GUI_PATH), args);
    processes.emplace_back(p);
    return p;
  }
  int run(const QStringList& args, QByteArray* err = nullptr) {
    QProcess* p = start(args);
    if (!p->waitForFinished(20000)) return -100;
    if (err) *err = p->readAllStandardError();
    return p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -200;
  }
  void TearDown() override {
    for (auto& p : processes)
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
      }
  }
  QStringList dataArgs() const { return {"--simulate", "--data-dir", data.path()}; }

  QTemporaryDir runtime, data;
  QProcessEnvironment env;
  std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(ShellProgram, ASecondStartEndsAtOnceWithCodeZero) {
  QProcess* first = start(dataArgs());
  ASSERT_TRUE(first->waitForStarted(10000));
  // Wait until the first one holds the lock (read from the kernel's lock
  // list: taking the lock to look would make the first start give way).
  const QString lockFile = runtime.filePath(QString::fromLatin1(kSingleInstanceName));
  const QByteArray holder = QByteArray::number(first->processId());
  ASSERT_TRUE(Shell::waitFor(
      [&] {
        struct stat st {};
        if (::stat(lockFile.toLocal8Bit().constData(), &st) != 0) return false;
        QFile locks(QStringLiteral("/proc/locks"));
        if (!locks.open(QIODevice::ReadOnly)) return false;
        const QByteArray inode = ":" + QByteArray::number(static_cast<qulonglong>(st.st_ino)) + " ";
        for (const QByteArray& line : locks.readAll().split('\n')) {
          const QList<QByteArray> f = line.simplified().split(' ');
          // "1: FLOCK ADVISORY WRITE <pid> <maj>:<min>:<inode> 0 EOF"
          if (f.size() >= 6 && f[1] == "FLOCK" && f[4] == holder && (f[5] + " ").endsWith(inode)) return true;
        }
        return false;
      },
      15000));
  QByteArray err;
  EXPECT_EQ(run(dataArgs(), &err), 0);
  EXPECT_TRUE(err.isEmpty()) << err.toStdString();
  EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(ShellProgram, ScreenshotsOfBothPagesWithoutADisplay) {
  env.remove("QT_QPA_PLATFORM");
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  const QString basic = data.filePath("basic.png"), advanced = data.filePath("advanced.png");
  // A factory config.bin, whose first display would write the first-run
  // names into str.ini: a screenshot writes no file.
  auto bytes = [&](const char* name) {
    QFile f(data.filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  };
  const QByteArray config = bytes("config.bin"), ini = bytes("str.ini");
  ASSERT_EQ(config.size(), 2022);
  ASSERT_EQ(config[0], 0);
  QByteArray err;
  ASSERT_EQ(run(dataArgs() << "--screenshot" << basic, &err), 0) << err.toStdString();
  ASSERT_EQ(run(dataArgs() << "--screenshot" << advanced << "--page"
                           << "advanced",
                &err),
            0)
      << err.toStdString();
  const QImage a(basic), b(advanced);
  const QImage main(outputDir() + "/Skins/Default/main.png");
  ASSERT_FALSE(a.isNull());
  ASSERT_FALSE(b.isNull());
  EXPECT_EQ(a.size(), main.size());
  EXPECT_EQ(b.size(), main.size());
  EXPECT_NE(a, b);
  EXPECT_EQ(bytes("config.bin"), config);
  EXPECT_EQ(bytes("str.ini"), ini);
}

// At scale 2 the window is drawn with twice the pixels, not enlarged: the
// picture shrunk back to 1x is the 1x one, and the page title's letters have
// edges inside the 2 x 2 pixels of one window pixel, where an enlarged
// picture has four equal pixels.
TEST_F(ShellProgram, AScreenshotAtScaleTwoIsDrawnAtTwiceThePixels) {
  const QString oneX = data.filePath("1x.png"), twoX = data.filePath("2x.png");
  QByteArray err;
  ASSERT_EQ(run(dataArgs() << "--screenshot" << oneX, &err), 0) << err.toStdString();
  env.insert("QT_SCALE_FACTOR", "2");
  ASSERT_EQ(run(dataArgs() << "--screenshot" << twoX, &err), 0) << err.toStdString();
  const QImage one = QImage(oneX).convertToFormat(QImage::Format_RGB32);
  const QImage two = QImage(twoX).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(two.size(), one.size() * 2);

  auto block = [&](int x, int y) {
    return std::array<QRgb, 4>{two.pixel(2 * x, 2 * y), two.pixel(2 * x + 1, 2 * y),
                               two.pixel(2 * x, 2 * y + 1), two.pixel(2 * x + 1, 2 * y + 1)};
  };
  // Red, green and blue of a pixel, in 0..255.
  auto channel = [](QRgb p, int c) { return static_cast<int>((p >> (16 - 8 * c)) & 0xFFu); };
  // Each 2 x 2 block averaged against its 1x pixel.
  double difference = 0;
  for (int y = 0; y < one.height(); ++y)
    for (int x = 0; x < one.width(); ++x) {
      const auto b = block(x, y);
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (QRgb p : b) sum += channel(p, c);
        difference += std::abs(sum / 4.0 - channel(one.pixel(x, y), c));
      }
    }
  difference /= one.width() * one.height() * 3.0;
  EXPECT_LT(difference, 3.0) << "mean difference per channel";

  // The blocks of the title's letters: where the 1x picture changes from
  // one pixel to the next.
  const QRect title = frame::kTitle;
  int edges = 0, uniform = 0;
  for (int y = title.top(); y < title.bottom(); ++y)
    for (int x = title.left(); x < title.right(); ++x) {
      auto near = [&](QRgb a, QRgb b) {
        int d = 0;
        for (int c = 0; c < 3; ++c) d += std::abs(channel(a, c) - channel(b, c));
        return d < 48;
      };
      if (near(one.pixel(x, y), one.pixel(x + 1, y)) && near(one.pixel(x, y), one.pixel(x, y + 1))) continue;
      ++edges;
      const auto b = block(x, y);
      uniform += b[0] == b[1] && b[0] == b[2] && b[0] == b[3] ? 1 : 0;
    }
  ASSERT_GT(edges, 100) << "the title has letters";
  EXPECT_LT(static_cast<double>(uniform) / edges, 0.6)
      << uniform << " of " << edges << " blocks on the title's letters are uniform";
}

// What a killed save left in the data folder is removed when the program
// starts; a file of another program's naming stays.
TEST_F(ShellProgram, StaleTemporaryFilesAreRemovedAtStart) {
  QProcess gone;
  gone.start(QStringLiteral("/bin/true"), {});
  ASSERT_TRUE(gone.waitForStarted(10000));
  const QString dead = QString::number(gone.processId());
  ASSERT_TRUE(gone.waitForFinished(10000));
  for (const char* f : {".config.bin.hidmouse-", ".str.ini.hidmouse-", ".record.ini.hidmouse-"}) {
    QFile stale(data.filePath(QString::fromLatin1(f) + dead + QStringLiteral("-Ab12Cd")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  }
  QFile other(data.filePath(QStringLiteral("str.ini.Ab12Cd")));
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.close();
  QByteArray err;
  ASSERT_EQ(run(dataArgs() << "--screenshot" << data.filePath("shot.png"), &err), 0) << err.toStdString();
  EXPECT_EQ(QDir(data.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
            (QStringList{".hidmouse.lock", "config.bin", "shot.png", "str.ini", "str.ini.Ab12Cd"}));
}

// The command line is read before the display is opened: a mistake and the
// help need none.
TEST_F(ShellProgram, BadArgumentsEndWithCodeTwoAndOneLineAndHelpWithZeroWithoutADisplay) {
  env.remove("QT_QPA_PLATFORM");
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  const QStringList cases[] = {
      {"--language", "fr"},    {"--simulate", "--sim-sensor", "1,2,3"},      {"--sim-sensor", "1,2,3,4"},
      {"--page", "basic"},     {"--screenshot", "x.png", "--page", "other"}, {"--no-such-option"},
      {"--sim-events", "5:1"},
  };
  for (const QStringList& args : cases) {
    QByteArray err;
    EXPECT_EQ(run(args, &err), 2) << args.join(' ').toStdString();
    EXPECT_TRUE(err.startsWith("hidmouse: ")) << err.toStdString();
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
  }
  for (const char* help : {"--help", "-h"}) {
    QProcess* p = start({QString::fromLatin1(help)});
    ASSERT_TRUE(p->waitForFinished(20000));
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit) << help;
    EXPECT_EQ(p->exitCode(), 0) << help;
    const QByteArray out = p->readAllStandardOutput();
    EXPECT_TRUE(out.startsWith("Usage: " HM_GUI_PATH " [options]")) << out.toStdString();
    EXPECT_TRUE(out.contains("--sim-events")) << out.toStdString();
    EXPECT_FALSE(out.contains("platform")) << "the toolkit's own options stay out of the help";
  }
}

}  // namespace
}  // namespace hm::test
