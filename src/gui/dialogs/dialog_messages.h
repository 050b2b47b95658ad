// SPDX-License-Identifier: GPL-3.0-or-later
// The message boxes an assignment dialog raises about itself (a skin image
// it cannot draw) are owned by that dialog, not by the main window. The
// program hands the dialogs a maker of such sinks; without one (the tests)
// the dialog's messages go to its ordinary sink.
#pragma once

#include <functional>
#include <memory>

class QWidget;

namespace hm {

class MessageSink;

// A sink whose message boxes are owned by `owner`.
using OwnedMessageSinks = std::function<std::unique_ptr<MessageSink>(QWidget* owner)>;

}  // namespace hm
