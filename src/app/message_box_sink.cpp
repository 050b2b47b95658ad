#include "app/message_box_sink.h"

#include <QMessageBox>

namespace hm {

MessageBoxSink::MessageBoxSink(QWidget* owner, QString appName)
    : owner_(owner), appName_(std::move(appName)) {}

void MessageBoxSink::showMessage(const std::string& text, const std::string& caption) {
  const QString title = caption.empty() ? appName_ : QString::fromStdString(caption);
  QMessageBox box(QMessageBox::NoIcon, title, QString::fromStdString(text), QMessageBox::Ok,
                  owner_.data());
  box.exec();
}

void StreamMessageSink::showMessage(const std::string& text, const std::string& caption) {
  std::string line = text;
  while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
  std::fprintf(out_, "%s: %s\n", caption.empty() ? appName_.c_str() : caption.c_str(), line.c_str());
  std::fflush(out_);
}

}  // namespace hm
