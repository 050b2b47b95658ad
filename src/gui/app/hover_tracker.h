// SPDX-License-Identifier: GPL-3.0-or-later
// Hover highlighting of the main window. Every mouse move over a hoverable
// control of the frame or of the current page (re)starts a 10 ms delay; when
// it runs out without another move, the control under the pointer is drawn
// with its over image and the other members of its group go back to normal.
// A move outside every hoverable control draws all highlighted controls
// normal again. The tracker keeps the highlighted flags, one set for the
// frame controls (by FrameControl) and one for the current page's (by the
// page's hover identifiers).
#pragma once

#include <QPoint>
#include <QTimer>
#include <functional>
#include <set>
#include <vector>

#include "gui/app/page.h"

namespace hm {

class Frame;
class FrameHost;

inline constexpr int kHoverDelayMs = 10;

class HoverTracker {
 public:
  // `frame` and `host` outlive the tracker; currentPage gives the page shown
  // now (nullptr before the first page).
  HoverTracker(const Frame& frame, FrameHost& host, std::function<Page*()> currentPage);
  HoverTracker(const HoverTracker&) = delete;
  HoverTracker& operator=(const HoverTracker&) = delete;

  // A mouse move at p (client coordinates, no drag running).
  void mouseMoved(QPoint p);
  // The page is being left: the delay stops and its controls' flags go (its
  // picture is about to be replaced).
  void pageLeft();
  // Frame controls just drawn in their normal state are no longer highlighted.
  void frameDrawnNormal(std::initializer_list<int> ids);
  // Ends a running delay at once (tests).
  void hoverNow();

  bool frameHighlighted(int id) const { return frameHover_.count(id) != 0; }
  bool pageHighlighted(int id) const { return pageHover_.count(id) != 0; }

 private:
  struct Entry {
    HoverItem item;
    bool frame;
  };
  std::vector<Entry> entries() const;
  bool overHoverable(QPoint p) const;
  void onDelay();
  void clear();
  void draw(CMemDC* dc, const Entry& e, bool highlighted);

  const Frame& frame_;
  FrameHost& host_;
  std::function<Page*()> currentPage_;
  QTimer timer_;
  QPoint point_;
  std::set<int> frameHover_;
  std::set<int> pageHover_;
};

}  // namespace hm
