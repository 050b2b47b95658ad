// SPDX-License-Identifier: GPL-3.0-or-later
// The lines of a key press sequence that the macro editor can hold, checked
// for text that comes from outside the editor (hidmousectl's `macro set`, an
// imported setup): "<key name>   Dn", "<key name>   Up" and "<ms> ms" with a
// delay the delay dialog takes (50..10000; the recorder and the inserted
// mouse events write 50).
#pragma once

#include <string>
#include <string_view>

namespace hm {

struct MacroLineCheck {
  std::string line;         // the line as the editor writes it
  std::string error;        // "" when the text is such a line
  bool unknownKey = false;  // a key line whose name the key table lacks (encoded as 0)
  bool ok() const { return error.empty(); }
};

// `exact`: the text must be the line itself. Otherwise it is read as typed:
// blanks before "Dn" / "Up" / "ms" of any number, "Dn", "Up" and "ms" and the
// names of the key table in any letter case ("a dn" is "A   Dn", "50ms" is
// "50 ms").
MacroLineCheck checkMacroLine(std::string_view text, bool exact);

}  // namespace hm
