// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/message_box_sink.h"

#include <QMessageBox>

namespace hm {

MessageBoxSink::MessageBoxSink(QWidget* owner, QString appName)
    : owner_(owner), appName_(std::move(appName)) {}

void MessageBoxSink::showMessage(const std::string& text, const std::string& caption) {
  const QString title = caption.empty() ? appName_ : QString::fromStdString(caption);
  // Owned by the main window while it is shown; while it is hidden (in the
  // tray, or before its first show) the box stands alone so that it is
  // centred on the screen rather than over an invisible window.
  QWidget* parent = owner_ && owner_->isVisible() ? owner_.data() : nullptr;
  QMessageBox box(QMessageBox::NoIcon, title, QString::fromStdString(text), QMessageBox::Ok, parent);
  box.exec();
}

void StreamMessageSink::showMessage(const std::string& text, const std::string& caption) {
  std::string line = text;
  while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
  std::fprintf(out_, "%s: %s\n", caption.empty() ? appName_.c_str() : caption.c_str(), line.c_str());
  std::fflush(out_);
}

}  // namespace hm
