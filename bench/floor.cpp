// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of a start with the toolkit: a frameless 880 x 660 window that
// paints one line of text, and a tray icon. The start-up benchmark runs it in
// the same rounds as the program to compare their start, memory and CPU time.
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

namespace {

constexpr int kWidth = 880;
constexpr int kHeight = 660;
constexpr int kIconSize = 16;

class FloorWindow : public QWidget {
 public:
  FloorWindow() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kWidth, kHeight);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.setPen(Qt::green);
    p.drawText(rect(), Qt::AlignCenter, QStringLiteral("Basic Settings"));
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QPixmap icon(kIconSize, kIconSize);
  icon.fill(Qt::green);
  QSystemTrayIcon tray{QIcon(icon)};
  tray.show();
  FloorWindow window;
  window.show();
  return app.exec();
}
