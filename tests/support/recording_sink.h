// SPDX-License-Identifier: GPL-3.0-or-later
// A MessageSink that records what the code would have shown the user, and can
// act while a "box" is open (a real message box runs events).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/settings/message_sink.h"

namespace hm::test {

struct Message {
  std::string text;
  std::string caption;
  bool operator==(const Message&) const = default;
};

class RecordingSink : public MessageSink {
 public:
  void showMessage(const std::string& text, const std::string& caption) override {
    messages.push_back({text, caption});
    if (whileShown) whileShown();
  }
  std::vector<Message> messages;
  // What the user does while the box is open.
  std::function<void()> whileShown;
};

}  // namespace hm::test
