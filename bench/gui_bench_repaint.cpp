// Repaint costs of the skinned main window: a full Basic-page paint with the
// image cache and without it (every image decoded from its file, as a paint
// without cache would), and a partial redraw of one control with its text.
//
// The skin is the generated "Default" skin beside the programs (bin/Skins);
// HM_SKIN_DIR names another skin folder.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>

#include "gui/skin/draw_skin_image.h"
#include "gui/skin/mem_dc.h"
#include "gui/skin/skin_controls.h"
#include "gui/skin/skin_folder.h"
#include "gui/skin/skin_images.h"
#include "gui/skin/skin_library.h"
#include "gui/skin/skin_text.h"

namespace {

using namespace hm;

QString skinFolder() {
  if (const char* env = std::getenv("HM_SKIN_DIR")) return QString::fromLocal8Bit(env);
  return skinFolderPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin"),
                        QStringLiteral("Default"));
}

// The controls of a Basic page, laid out where the page draws them.
struct BasicPageControls {
  std::vector<SkinButton> buttons;
  std::vector<std::unique_ptr<SkinDropDown>> keyBoxes;
  SkinCellSelector reportRate;
  std::vector<SkinLevelBar> dpiColumns;
  std::vector<SkinPane> panes;
  std::vector<SkinPane> loopPanes;

  BasicPageControls() {
    buttons.push_back(SkinButton::skinsButton({701, 5}));
    buttons.push_back(SkinButton::minimiseButton({825, 5}));
    buttons.push_back(SkinButton::closeButton({850, 5}));
    buttons.push_back(SkinButton::basicTab({20, 55}));
    buttons.push_back(SkinButton::advancedTab({70, 55}));
    buttons.push_back(SkinButton::textButton({513, 609}, QStringLiteral("OK")));
    buttons.push_back(SkinButton::textButton({617, 609}, QStringLiteral("Apply")));
    buttons.push_back(SkinButton::textButton({721, 609}, QStringLiteral("Cancel")));
    buttons.push_back(SkinButton::textButton({253, 518}, QStringLiteral("Mode A")));
    buttons.push_back(SkinButton::textButton({357, 518}, QStringLiteral("Mode B")));
    buttons.push_back(SkinButton::textButton({307, 549}, QStringLiteral("Default")));
    for (int k = 0; k < 7; ++k) {
      auto box = std::make_unique<SkinDropDown>(nullptr, 41 + k, ltrb(252, 186 + 23 * k, 463, 207 + 23 * k),
                                                ltrb(252, 208 + 23 * k, 463, 478 + 23 * k),
                                                QString::fromLatin1(skin::kKeyBoxNormal),
                                                QString::fromLatin1(skin::kKeyBoxOver));
      box->indexText = QString::number(k + 1);
      box->caption = QStringLiteral("Left Click");
      keyBoxes.push_back(std::move(box));
    }
    reportRate.cells = {ltrb(542, 204, 612, 215), ltrb(614, 204, 684, 215), ltrb(686, 204, 756, 215),
                        ltrb(758, 204, 828, 215)};
    reportRate.darkImage = QString::fromLatin1(skin::kReportRateDark);
    reportRate.lightImage = QString::fromLatin1(skin::kReportRateLight);
    for (int s = 0; s < 4; ++s) {
      SkinLevelBar bar;
      const int x = 554 + 27 * s;
      bar.origin = ltrb(x, 518, x + 16, 534);
      bar.step = {0, -18};
      bar.count = 12;
      bar.unlitImage = QString::fromLatin1(skin::kDpiDark);
      bar.litImage = QString::fromLatin1(skin::kDpiLight);
      bar.level = 3 + 3 * s;
      dpiColumns.push_back(bar);
      SkinPane pane;
      pane.rect = ltrb(x, 541, x + 16, 557);
      pane.on = true;
      panes.push_back(pane);
    }
    for (int k = 0; k < 8; ++k) {
      SkinPane pane;
      pane.rect = ltrb(703 + 21 * k, 440, 719 + 21 * k, 456);
      pane.on = k % 2 == 0;
      loopPanes.push_back(pane);
    }
  }

  void paint(CMemDC& dc, const SkinStyle& style) const {
    drawSkinImage(dc.canvas(), *style.skins, QString::fromLatin1(skin::kBasicBackground), 0, 0);
    for (const SkinButton& b : buttons) b.draw(dc, style);
    for (const auto& box : keyBoxes) box->draw(dc, style);
    for (const QPoint at : {QPoint(766, 329), QPoint(766, 359), QPoint(741, 510)}) {
      drawSkinImage(dc.canvas(), *style.skins, QString::fromLatin1(skin::kSmallBox), at.x(), at.y());
    }
    reportRate.draw(dc, style);
    for (const SkinLevelBar& bar : dpiColumns) bar.draw(dc, style);
    for (const SkinPane& p : panes) p.draw(dc, style);
    for (const SkinPane& p : loopPanes) p.draw(dc, style);
    for (int k = 0; k < 4; ++k) {
      drawSkinImage(dc.canvas(), *style.skins, QString::fromLatin1(k % 2 ? skin::kDpiLight : skin::kDpiDark),
                    737 + 26 * k, 540);
    }
    drawSkinText(dc.painter(), ltrb(120, 50, 352, 100), QStringLiteral("Basic Settings"), kTextLeftVCenter,
                 style.fonts.title, Qt::white);
    static const char* const kLabels[] = {"250",  "500",  "750",  "1000", "1250", "1500",
                                          "1750", "2000", "2500", "3000", "3500", "4000"};
    for (int n = 1; n <= 12; ++n) {
      drawSkinText(dc.painter(), ltrb(494, 518 - 18 * (n - 1), 544, 534 - 18 * (n - 1)),
                   QString::fromLatin1(kLabels[n - 1]), kTextRightVCenter, style.fonts.normal,
                   style.textColor);
    }
  }
};

struct Fixture {
  SkinLibrary skins{skinFolder()};
  SkinStyle style;
  QImage canvas;
  BasicPageControls page;

  explicit Fixture(bool caching) {
    skins.setCaching(caching);
    style.skins = &skins;
    style.fonts = SkinFonts::forLanguage(Language::English);
    canvas = loadCanvas(skins);
  }
  bool usable() const { return !canvas.isNull(); }
};

void BM_FullPageRepaint(benchmark::State& state) {
  Fixture f(state.range(0) != 0);
  if (!f.usable()) {
    state.SkipWithError("no skin: build hm_data_files or set HM_SKIN_DIR");
    return;
  }
  for (auto _ : state) {
    CMemDC dc(nullptr, f.canvas);
    f.page.paint(dc, f.style);
    benchmark::DoNotOptimize(f.canvas.constBits());
  }
  state.SetLabel(state.range(0) ? "cached" : "decoding every image");
}
BENCHMARK(BM_FullPageRepaint)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// One control and its text, as a click handler redraws them: a report-rate
// cell pair and a key drop-down box with its caption.
void BM_PartialRedraw(benchmark::State& state) {
  Fixture f(true);
  if (!f.usable()) {
    state.SkipWithError("no skin: build hm_data_files or set HM_SKIN_DIR");
    return;
  }
  {
    CMemDC dc(nullptr, f.canvas);
    f.page.paint(dc, f.style);
  }
  int cell = 0;
  for (auto _ : state) {
    CMemDC dc(nullptr, f.canvas);
    cell = (cell + 1) % 4;
    f.page.reportRate.select(cell, dc, f.style);
    f.page.keyBoxes[2]->draw(dc, f.style);
    benchmark::DoNotOptimize(f.canvas.constBits());
  }
}
BENCHMARK(BM_PartialRedraw)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Fonts need a GUI application; the offscreen platform needs no display.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
