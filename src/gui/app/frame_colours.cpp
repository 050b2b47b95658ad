// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/frame_colours.h"

#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <iterator>

#include "core/settings/mouse_config.h"
#include "gui/skin/skin_text.h"

namespace hm {

ChildColours childColours(ChildKind kind, int identifier, const SkinStyle& style, const MouseConfig& config) {
  using namespace colours;
  switch (kind) {
    case ChildKind::Edit: return {style.textColor, kBlack, false};
    case ChildKind::List:
      if (identifier >= kMacroListFirst && identifier <= kMacroListLast)
        return {style.textColor, kMacroListBackground, false};
      return {kWhite, kBlack, true};
    case ChildKind::Static: {
      if (identifier >= kLoopSwatchFirst && identifier <= kLoopSwatchLast) {
        const auto& c = config.loopColor[identifier - kLoopSwatchFirst];
        return {std::nullopt, QColor(c[0], c[1], c[2]), false};
      }
      if (std::find(std::begin(kDarkStatics), std::end(kDarkStatics), identifier) != std::end(kDarkStatics))
        return {style.textColor, kBlack, true};
      return {style.textColor, kStaticBackground, true};
    }
    case ChildKind::Button:
    case ChildKind::Other: break;
  }
  return {};
}

void applyChildColours(QWidget& child, ChildKind kind, int identifier, const SkinStyle& style,
                       const MouseConfig& config) {
  const ChildColours c = childColours(kind, identifier, style, config);
  QPalette pal = child.palette();
  if (c.text) {
    pal.setColor(QPalette::Text, *c.text);
    pal.setColor(QPalette::WindowText, *c.text);
  }
  if (c.background) {
    pal.setColor(QPalette::Base, *c.background);
    pal.setColor(QPalette::Window, *c.background);
    child.setAutoFillBackground(true);
  }
  child.setPalette(pal);
  if (c.normalFont) child.setFont(style.fonts.normal);
}

}  // namespace hm
