// SPDX-License-Identifier: GPL-3.0-or-later
// The frame of the main window, the same on both pages: page title, skins,
// minimise and close buttons, the two page tabs, OK / Apply / Cancel and the
// web-address link. Rectangles are client pixels, right / bottom exclusive.
#pragma once

#include <QRect>
#include <array>
#include <vector>

#include "gui/app/frame_layout.h"
#include "gui/app/page.h"
#include "gui/skin/skin_controls.h"

namespace hm {

class UiTexts;

// The hoverable frame controls; the values are their hover identifiers.
enum FrameControl : int {
  kFrameSkins,
  kFrameMinimise,
  kFrameClose,
  kFrameBasicTab,
  kFrameAdvancedTab,
  kFrameOk,
  kFrameApply,
  kFrameCancel,
  kFrameControlCount
};

class Frame {
 public:
  Frame(const UiTexts& texts, const SkinStyle& style);

  const SkinButton& button(FrameControl c) const { return buttons_[c]; }

  // Skins, minimise, close, OK, Apply, Cancel images in their normal state.
  void drawButtons(CMemDC& dc) const;
  // The two page tabs, normal.
  void drawTabs(CMemDC& dc) const;
  // The title of `page` ("Basic Settings" / "Advanced Settings"), title
  // font, white, left aligned and vertically centred; nothing for kNoPage.
  void drawTitle(CMemDC& dc, int page) const;
  // The web-address link (centred) and the OK, Apply, Cancel labels, normal
  // font, skin text colour.
  void drawTexts(CMemDC& dc) const;

  // Every frame control is hoverable on both pages.
  std::vector<HoverItem> hoverItems() const;
  // The control's over or normal image and its label.
  void drawHover(CMemDC& dc, int id, bool highlighted) const;

  const QString& webAddress() const { return webAddress_; }

 private:
  const UiTexts& texts_;
  const SkinStyle& style_;
  std::array<SkinButton, kFrameControlCount> buttons_;
  QString webAddress_;
};

}  // namespace hm
