// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the Basic page and LED panel tests: the real main window over
// the simulated mouse (fixtures.h), started from a record of the test's
// choosing, with a copy of the default skin whose images are made opaque so
// that what a control shows can be read back from the canvas exactly.
#pragma once

#include <QDir>
#include <QImage>
#include <QListWidget>
#include <deque>
#include <optional>

#include "core/settings/config_file.h"
#include "core/settings/mouse_config.h"
#include "fixtures.h"
#include "gui/app/basic_layout.h"
#include "gui/app/basic_page.h"
#include "gui/dialogs/color_chooser.h"

namespace hm::test {

// The record every case starts from; a case changes one thing.
inline MouseConfig saneRecord() {
  MouseConfig c = factoryConfig();
  c.reportInterval = 1;
  const std::uint8_t steps[4] = {0, 3, 5, 7};
  for (int s = 0; s < 4; ++s) {
    c.dpiStageValue[s] = steps[s];
    c.dpiStageEnabled[s] = 1;
  }
  c.ledMode = 1;
  c.ledParam[0] = 4;
  c.ledParam[1] = 3;
  c.ledParam[2] = 5;
  c.ledParam2[0] = 7;
  c.ledParam2[1] = 8;
  c.ledParam2[2] = 9;
  c.dpiLedMask[0] = 0x21;
  c.dpiLedMask[1] = 0x84;
  c.dpiLedMask[2] = 0xA5;
  c.dpiLedMask[3] = 0x5A;
  return c;
}

// Answers the colour chooser from a queue; an empty queue cancels.
class AnsweringChooser : public ColorChooser {
 public:
  std::optional<QColor> chooseColor(QWidget*, const QColor& initial) override {
    ++calls;
    initials.push_back(initial);
    if (answers.empty()) return std::nullopt;
    const QColor c = answers.front();
    answers.pop_front();
    return c;
  }
  std::deque<QColor> answers;
  std::vector<QColor> initials;
  int calls = 0;
};

inline QPoint centre(const basic::Box& b) { return {(b.left + b.right) / 2, (b.top + b.bottom) / 2}; }
inline QRect toRect(const basic::Box& b) { return ltrb(b.left, b.top, b.right, b.bottom); }

struct BasicOptions {
  std::uint8_t sensorType = 0;
  Language language = Language::English;
  std::uint8_t firstRunFlag = 1;
  bool drawOnly = false;
};

class BasicShell {
 public:
  explicit BasicShell(const MouseConfig& record, BasicOptions o = {}) : shell(shellOptions(o)) {
    // The skin copy, every image made opaque.
    const QString skin = shell.path("Skins/" + shell.options.skinName);
    for (const QString& f : QDir(skin).entryList({"*.png"}, QDir::Files)) {
      const QString file = skin + "/" + f;
      QImage(file).convertToFormat(QImage::Format_RGB32).save(file);
    }
    EXPECT_TRUE(writeConfigImage(shell.pathStd("config.bin"), o.firstRunFlag, record));
    strIniBeforeStart = shell.fileBytes("str.ini");
    started = shell.start();
    shell.dlg->context().colorChooser = &chooser;
    shell.showWindow();
    shell.dlg->showBasicPage();
    page = dynamic_cast<BasicPage*>(shell.dlg->page(kBasicPage));
  }

  MouseConfig& working() { return shell.dlg->workingConfig(); }
  void click(QPoint p) { shell.click(p); }
  void click(const basic::Box& b) { shell.click(centre(b)); }
  QImage picture() const { return shell.picture(); }

  // Whether the canvas at `at` shows the skin image `name` pixel for pixel
  // (only the top and bottom rows when `edgesOnly`, for images with text).
  bool shows(const basic::Box& at, const char* name, bool edgesOnly = false) const {
    const SkinImage* img = shell.dlg->skins().image(QString::fromLatin1(name));
    const QImage* canvas = shell.dlg->canvas();
    if (!img || !canvas) return false;
    const QImage& i = img->image;
    for (int y = 0; y < i.height(); ++y) {
      if (edgesOnly && y != 0 && y != i.height() - 1) continue;
      for (int x = 0; x < i.width(); ++x)
        if ((canvas->pixel(at.left + x, at.top + y) | 0xFF000000u) != (i.pixel(x, y) | 0xFF000000u))
          return false;
    }
    return true;
  }
  // Levels of a DPI column drawn lit, counted from the bottom; -1 when the
  // column is not a run of lit cells followed by dark ones up to `levels`.
  int litLevels(int stage, int levels) const {
    int lit = 0;
    for (int n = 1; n <= levels; ++n) {
      if (shows(basic::dpiCell(stage, n), basic::kDpiCellLight)) {
        if (lit != n - 1) return -1;
        lit = n;
      } else if (!shows(basic::dpiCell(stage, n), basic::kDpiCellDark)) {
        return -1;
      }
    }
    return lit;
  }
  // Picks a row of an open list as the user does.
  static void choose(QListWidget* list, int row) {
    ASSERT_NE(list, nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(row)).center());
  }

  Shell shell;
  AnsweringChooser chooser;
  BasicPage* page = nullptr;
  bool started = false;
  QByteArray strIniBeforeStart;

 private:
  static ShellOptions shellOptions(const BasicOptions& o) {
    ShellOptions s;
    s.sensorAnswer = std::array<std::uint8_t, 4>{o.sensorType, 0, 0, 0};
    s.language = o.language;
    s.drawOnly = o.drawOnly;
    s.removeImages = std::vector<QString>{};  // a skin copy of its own
    s.skinName = QStringLiteral("Opaque");
    return s;
  }
};

}  // namespace hm::test
