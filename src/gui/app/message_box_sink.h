// SPDX-License-Identifier: GPL-3.0-or-later
// The program's MessageSink: a modal message box owned by the main window
// with an OK button only. An empty caption shows the application name.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdio>
#include <string>

#include "core/settings/message_sink.h"
#include "gui/dialogs/application_name.h"

namespace hm {

class MessageBoxSink : public MessageSink {
 public:
  explicit MessageBoxSink(QWidget* owner = nullptr, QString appName = QString::fromLatin1(kApplicationName));
  void setOwner(QWidget* owner) { owner_ = owner; }
  void showMessage(const std::string& text, const std::string& caption) override;

 private:
  QPointer<QWidget> owner_;
  QString appName_;
};

// Writes each message as one line "caption: text" to a stream; used where no
// one could answer a box (screenshot runs).
class StreamMessageSink : public MessageSink {
 public:
  explicit StreamMessageSink(std::FILE* out = stderr, std::string appName = kApplicationName)
      : out_(out), appName_(std::move(appName)) {}
  void showMessage(const std::string& text, const std::string& caption) override;

 private:
  std::FILE* out_;
  std::string appName_;
};

}  // namespace hm
