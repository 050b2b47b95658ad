// SPDX-License-Identifier: GPL-3.0-or-later
// The program's message sinks: a modal box with OK only and the application
// name as the default caption; one line per message where no box can be shown.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "fixtures.h"
#include "gui/app/message_box_sink.h"

namespace hm::test {
namespace {

struct SeenBox {
  QString title, text;
  int buttons = 0;
  bool ok = false;
};

TEST(ShellMessages, ModalBoxWithOkOnly) {
  application();
  struct Case {
    const char* caption;
    const char* expectedTitle;
  };
  const Case cases[] = {{"Warning", "Warning"}, {"", "hidmouse"}, {"error", "error"}};
  for (const Case& c : cases) {
    MessageBoxSink sink;
    SeenBox seen;
    QTimer::singleShot(0, [&seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen = {box->windowTitle(), box->text(), static_cast<int>(box->buttons().size()),
              box->button(QMessageBox::Ok) != nullptr};
      box->accept();
    });
    sink.showMessage("系统没有检测到游戏鼠标！", c.caption);
    EXPECT_EQ(seen.title, QString::fromUtf8(c.expectedTitle));
    EXPECT_EQ(seen.text, QStringLiteral("系统没有检测到游戏鼠标！"));
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_TRUE(seen.ok);
  }
}

TEST(ShellMessages, StreamSinkWritesOneLinePerMessage) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  StreamMessageSink sink(out);
  sink.showMessage("Config file is not exist.", "");
  sink.showMessage("Error Code is: 13 \n", "NULL ==fp ");
  std::rewind(out);
  char buffer[256] = {};
  const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, out);
  std::fclose(out);
  EXPECT_EQ(std::string(buffer, n), "hidmouse: Config file is not exist.\nNULL ==fp : Error Code is: 13\n");
}

}  // namespace
}  // namespace hm::test
