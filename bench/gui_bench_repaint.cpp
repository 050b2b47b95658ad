// SPDX-License-Identifier: GPL-3.0-or-later
// Repaint costs of the real main window on the simulated mouse (offscreen):
// a full repaint of the Basic and of the Advanced page onto the canvas, as a
// page switch or a refresh paints them, with the images kept in memory, with
// the decoded-image cache folder the program runs with (the page's large
// background read back from it on every paint), and without any cache (every
// image decoded from its file); and a partial redraw as a click handler makes
// it (a report-rate cell chosen: the old and the new cell redrawn and put on
// screen) and as the hover makes it, both with the cache folder.
//
// The skin and the factory files are those beside the programs (bin/);
// HM_BIN_DIR names another such folder.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "core/settings/message_sink.h"
#include "gui/app/basic_layout.h"
#include "gui/app/basic_page.h"
#include "gui/app/hid_mouse_dlg.h"
#include "gui/app/hover_tracker.h"
#include "gui/app/tray.h"
#include "platform/hid/simulated_mouse.h"

namespace {

using namespace hm;

QString binFolder() {
  if (const char* env = std::getenv("HM_BIN_DIR")) return QString::fromLocal8Bit(env);
  return QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
}

// The window started with the simulated mouse over a copy of the factory
// files; nothing it writes reaches the build folder.
class Window {
 public:
  // imageCacheFolder: with a decoded-image cache folder, as the program runs.
  explicit Window(bool imageCacheFolder) {
    const QString bin = binFolder();
    for (const char* f : {"config.bin", "str.ini"})
      QFile::copy(bin + u'/' + QLatin1String(f), folder_.filePath(QLatin1String(f)));
    DlgOptions d;
    d.paths = DataPaths::inFolder(folder_.path().toStdString());
    d.skinRoots = {bin + QStringLiteral("/Skins")};
    d.backend = &mouse_;
    d.messages = &sink_;
    if (imageCacheFolder) d.cacheFolder = folder_.filePath(QStringLiteral("cache"));
    d.tray = std::make_unique<NoTrayBackend>();
    d.exitProcess = [](int) {};
    d.openUrl = [](const QString&) {};
    d.basicPage = [](AppContext& ctx) { return std::make_unique<BasicPage>(ctx, BasicPage::Writes::None); };
    dlg = std::make_unique<CHidMouseDlg>(std::move(d));
    ok_ = dlg->init() && dlg->canvas() != nullptr;
  }
  bool usable(benchmark::State& state) const {
    if (!ok_) state.SkipWithError("no window: build hm_data_files or set HM_BIN_DIR");
    return ok_;
  }
  std::unique_ptr<CHidMouseDlg> dlg;

 private:
  QTemporaryDir folder_;
  SimulatedMouse mouse_;
  NullMessageSink sink_;
  bool ok_ = false;
};

// Arguments: the page (1 Basic, 2 Advanced); the caching: 1 in memory, 2 in
// memory with the cache folder (large images read back from it), 0 none.
void BM_FullPageRepaint(benchmark::State& state) {
  const int64_t caching = state.range(1);
  Window w(caching == 2);
  if (!w.usable(state)) return;
  if (state.range(0) == kAdvancedPage) w.dlg->showAdvancedPage();
  w.dlg->skins().setCaching(caching != 0);
  for (auto _ : state) {
    w.dlg->refreshCurrentPage();
    benchmark::DoNotOptimize(w.dlg->canvas()->constBits());
  }
  const char* how = caching == 2 ? ", cache folder" : caching == 1 ? ", cached" : ", decoding every image";
  state.SetLabel(std::string(state.range(0) == kAdvancedPage ? "Advanced" : "Basic") + how);
}
BENCHMARK(BM_FullPageRepaint)
    ->Args({kBasicPage, 1})
    ->Args({kAdvancedPage, 1})
    ->Args({kBasicPage, 2})
    ->Args({kAdvancedPage, 2})
    ->Args({kBasicPage, 0})
    ->Unit(benchmark::kMillisecond);

void BM_PartialRedraw(benchmark::State& state) {
  Window w(true);
  if (!w.usable(state)) return;
  Page* page = w.dlg->page(kBasicPage);
  int cell = 0;
  for (auto _ : state) {
    cell = (cell + 1) % basic::kRateCellCount;
    const basic::Box& b = basic::kRateCells[static_cast<std::size_t>(cell)];
    page->handleClick(QPoint(b.left + 1, b.top + 1));
    benchmark::DoNotOptimize(w.dlg->canvas()->constBits());
  }
}
BENCHMARK(BM_PartialRedraw)->Unit(benchmark::kMicrosecond);

// The hover highlight moving between two key drop-down boxes: one box drawn
// with its over image and its texts, the other one normal again.
void BM_HoverRedraw(benchmark::State& state) {
  Window w(true);
  if (!w.usable(state)) return;
  int k = 1;
  for (auto _ : state) {
    k = k == 1 ? 2 : 1;
    const basic::Box b = basic::keyBox(k);
    w.dlg->hover().mouseMoved(QPoint(b.left + 1, b.top + 1));
    w.dlg->hover().hoverNow();
    benchmark::DoNotOptimize(w.dlg->canvas()->constBits());
  }
}
BENCHMARK(BM_HoverRedraw)->Unit(benchmark::kMicrosecond);

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
