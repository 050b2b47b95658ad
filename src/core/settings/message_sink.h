// SPDX-License-Identifier: GPL-3.0-or-later
// How the core tells the user about failures: a modal message with a text and
// a caption. The GUI shows message boxes, hidmousectl prints to stderr and the
// tests record what was said.
#pragma once

#include <string>

namespace hm {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // caption empty = the application name.
  virtual void showMessage(const std::string& text, const std::string& caption) = 0;
};

// A sink that drops every message.
class NullMessageSink : public MessageSink {
 public:
  void showMessage(const std::string&, const std::string&) override {}
};

}  // namespace hm
