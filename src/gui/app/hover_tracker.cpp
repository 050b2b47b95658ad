// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/hover_tracker.h"

#include "gui/app/frame.h"
#include "gui/skin/mem_dc.h"

namespace hm {

HoverTracker::HoverTracker(const Frame& frame, FrameHost& host, std::function<Page*()> currentPage)
    : frame_(frame), host_(host), currentPage_(std::move(currentPage)) {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { onDelay(); });
}

void HoverTracker::mouseMoved(QPoint p) {
  if (overHoverable(p)) {
    point_ = p;
    timer_.start(kHoverDelayMs);
  } else {
    timer_.stop();
    clear();
  }
}

void HoverTracker::pageLeft() {
  timer_.stop();
  pageHover_.clear();
}

void HoverTracker::frameDrawnNormal(std::initializer_list<int> ids) {
  for (int id : ids) frameHover_.erase(id);
}

void HoverTracker::hoverNow() {
  if (!timer_.isActive()) return;
  timer_.stop();
  onDelay();
}

std::vector<HoverTracker::Entry> HoverTracker::entries() const {
  std::vector<Entry> all;
  for (const HoverItem& item : frame_.hoverItems()) all.push_back({item, true});
  if (Page* page = currentPage_())
    for (const HoverItem& item : page->hoverItems()) all.push_back({item, false});
  return all;
}

bool HoverTracker::overHoverable(QPoint p) const {
  for (const Entry& e : entries())
    if (inside(e.item.rect, p)) return true;
  return false;
}

void HoverTracker::draw(CMemDC* dc, const Entry& e, bool highlighted) {
  if (dc == nullptr) return;
  if (e.frame)
    frame_.drawHover(*dc, e.item.id, highlighted);
  else if (Page* page = currentPage_())
    page->drawHover(*dc, e.item.id, highlighted);
}

void HoverTracker::clear() {
  if (frameHover_.empty() && pageHover_.empty()) return;
  auto dc = host_.beginDraw();
  Page* page = currentPage_();
  if (dc) {
    for (int id : frameHover_) frame_.drawHover(*dc, id, false);
    if (page != nullptr)
      for (int id : pageHover_) page->drawHover(*dc, id, false);
  }
  frameHover_.clear();
  pageHover_.clear();
}

void HoverTracker::onDelay() {
  const std::vector<Entry> all = entries();
  const Entry* hit = nullptr;
  for (const Entry& e : all)
    if (inside(e.item.rect, point_)) {
      hit = &e;
      break;
    }
  if (hit == nullptr) return;
  std::set<int>& flags = hit->frame ? frameHover_ : pageHover_;
  if (flags.count(hit->item.id) != 0) return;

  auto dc = host_.beginDraw();
  draw(dc.get(), *hit, true);
  flags.insert(hit->item.id);
  if (hit->item.group == kHoverAlone) return;
  for (const Entry& e : all) {
    if (&e == hit || e.item.group != hit->item.group) continue;
    std::set<int>& other = e.frame ? frameHover_ : pageHover_;
    if (other.erase(e.item.id) != 0) draw(dc.get(), e, false);
  }
}

}  // namespace hm
