// SPDX-License-Identifier: GPL-3.0-or-later
// Colours of the main window's real child controls (lists, edits, swatches,
// static texts), answered by the window for each child by kind and
// identifier, as the skinned look needs them.
#pragma once

#include <QColor>
#include <optional>

class QWidget;

namespace hm {

struct MouseConfig;
struct SkinStyle;

enum class ChildKind { Edit, List, Button, Static, Other };

namespace colours {
inline constexpr int kMacroListFirst = 151;  // the macro editor's two lists
inline constexpr int kMacroListLast = 152;
inline constexpr int kLoopSwatchFirst = 75;  // the eight loop-colour swatches
inline constexpr int kLoopSwatchLast = 82;
inline constexpr int kDarkStatics[] = {86, 87, 88, 119};
inline constexpr QColor kBlack{0, 0, 0};
inline constexpr QColor kWhite{255, 255, 255};
inline constexpr QColor kMacroListBackground{2, 4, 5};
inline constexpr QColor kStaticBackground{100, 150, 100};
}  // namespace colours

struct ChildColours {
  std::optional<QColor> text;        // nullopt: the widget's default
  std::optional<QColor> background;  // the brush; nullopt: the widget's default
  bool normalFont = false;           // set the window's normal font
  bool operator==(const ChildColours&) const = default;
};

// The answer for one child:
//   edits                      skin text colour on black
//   lists 151, 152             skin text colour on (2, 4, 5)
//   other lists                white on black, normal font
//   buttons, anything else     the defaults
//   statics 75..82             the loop colour of the swatch from the record
//   statics 86, 87, 88, 119    skin text colour on black, normal font
//   other statics              skin text colour on (100, 150, 100), normal font
ChildColours childColours(ChildKind kind, int identifier, const SkinStyle& style, const MouseConfig& config);

// Applies the answer to the widget's palette (and font).
void applyChildColours(QWidget& child, ChildKind kind, int identifier, const SkinStyle& style,
                       const MouseConfig& config);

}  // namespace hm
