// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/frame.h"

#include "core/settings/ui_text.h"
#include "gui/skin/draw_skin_image.h"

namespace hm {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

Frame::Frame(const UiTexts& texts, const SkinStyle& style)
    : texts_(texts), style_(style), webAddress_(qs(texts.get(TextId::WebAddress))) {
  buttons_[kFrameSkins] = SkinButton::skinsButton(frame::kSkins.topLeft());
  buttons_[kFrameMinimise] = SkinButton::minimiseButton(frame::kMinimise.topLeft());
  buttons_[kFrameClose] = SkinButton::closeButton(frame::kClose.topLeft());
  buttons_[kFrameBasicTab] = SkinButton::basicTab(frame::kBasicTab.topLeft(), kHoverPageTabs);
  buttons_[kFrameAdvancedTab] = SkinButton::advancedTab(frame::kAdvancedTab.topLeft(), kHoverPageTabs);
  buttons_[kFrameOk] =
      SkinButton::textButton(frame::kOk.topLeft(), qs(texts.get(TextId::Ok)), kHoverOkApplyCancel);
  buttons_[kFrameApply] =
      SkinButton::textButton(frame::kApply.topLeft(), qs(texts.get(TextId::Apply)), kHoverOkApplyCancel);
  buttons_[kFrameCancel] =
      SkinButton::textButton(frame::kCancel.topLeft(), qs(texts.get(TextId::Cancel)), kHoverOkApplyCancel);
}

void Frame::drawButtons(CMemDC& dc) const {
  for (FrameControl c : {kFrameSkins, kFrameMinimise, kFrameClose, kFrameOk, kFrameApply, kFrameCancel}) {
    const SkinButton& b = buttons_[c];
    drawSkinImage(dc.canvas(), *style_.skins, b.normalImage, b.rect.left(), b.rect.top());
  }
}

void Frame::drawTabs(CMemDC& dc) const {
  for (FrameControl c : {kFrameBasicTab, kFrameAdvancedTab}) {
    const SkinButton& b = buttons_[c];
    drawSkinImage(dc.canvas(), *style_.skins, b.normalImage, b.rect.left(), b.rect.top());
  }
}

void Frame::drawTitle(CMemDC& dc, int page) const {
  if (page != kBasicPage && page != kAdvancedPage) return;
  const TextId title = page == kBasicPage ? TextId::BasicSettings : TextId::AdvancedSettings;
  drawSkinText(dc.painter(), frame::kTitle, qs(texts_.get(title)), kTextLeftVCenter, style_.fonts.title,
               frame::kTitleColour);
}

void Frame::drawTexts(CMemDC& dc) const {
  drawSkinText(dc.painter(), frame::kWebLink, webAddress_, kTextCenter, style_.fonts.normal,
               style_.textColor);
  for (FrameControl c : {kFrameOk, kFrameApply, kFrameCancel}) {
    const SkinButton& b = buttons_[c];
    drawSkinText(dc.painter(), b.rect, b.text, kTextCenter, style_.fonts.normal, style_.textColor);
  }
}

std::vector<HoverItem> Frame::hoverItems() const {
  std::vector<HoverItem> items;
  items.reserve(kFrameControlCount);
  for (int c = 0; c < kFrameControlCount; ++c) items.push_back({c, buttons_[c].rect, buttons_[c].hoverGroup});
  return items;
}

void Frame::drawHover(CMemDC& dc, int id, bool highlighted) const {
  if (id < 0 || id >= kFrameControlCount) return;
  buttons_[id].drawAs(dc, style_, highlighted);
}

}  // namespace hm
