// SPDX-License-Identifier: GPL-3.0-or-later
// The page model of the main window. The Basic and the Advanced page (and
// the panels they contain) are Page objects owned by CHidMouseDlg; the
// window keeps CurrentPage, runs the click dispatcher, the hover tracking and
// the message pre-filter, and calls the current page at fixed points:
//
// Showing a page (ShowBasicPage / ShowAdvancedPage): if CurrentPage already
// names it, nothing happens. Otherwise the window sets CurrentPage, runs
// LeavePage (leave() of the page being left), calls firstShow() once per run
// before the page's first paint, then builds one CMemDC and calls paint().
//
// paint(dc) draws the whole page onto the canvas in the page's own order:
// its background image first (the canvas's earlier contents must not show
// through), then the frame through ctx.frame (drawFrame(), or its four parts
// interleaved with the page's own images: e.g. background, drawFrameButtons,
// own buttons, drawPageTabs, own boxes ..., drawPageTitle, own section
// titles, drawFrameTexts, own labels ...), then the page's regions. The
// window puts the picture on screen when the CMemDC ends; paint() is not
// called while the skin has no canvas.
//
// Left click (dispatcher steps 9 and 10, after the frame regions): the window
// calls closeListsMissing(p) first (close every open list whose list and box
// rectangles both miss p), then handleClick(p). handleClick tests the page's
// regions in its documented order, runs the first hit's handler and returns
// true; false means nothing was hit, and the click starts a window drag.
//
// Hover: hoverItems() lists the page's hoverable controls that are active
// now, with their hover group. The window keeps the highlighted flags, finds
// the control under the pointer 10 ms after the last move, and calls
// drawHover(dc, id, true) for it and drawHover(dc, id, false) for the other
// highlighted members of its group (and for every highlighted control when
// the pointer moves outside all hoverable controls). drawHover draws the
// control's over or normal image and its text; the window copies to screen.
//
// Pre-filter: every event for the main window or its children passes the
// window's filter. While swallowsKeys() is true every key press is dropped
// (before the Enter / Escape rule). After the Enter / Escape rule, events go
// to preFilter() of the current page (mouse moves over its child lists,
// right presses); returning true drops the event.
#pragma once

#include <QPoint>
#include <QRect>
#include <vector>

#include "gui/app/app_context.h"

class QObject;
class QEvent;

namespace hm {

// Hover groups: hovering one member draws the others normal.
enum HoverGroup : int {
  kHoverAlone = 0,  // skins, minimise, close, "Default" buttons
  kHoverOkApplyCancel = 1,
  kHoverPageTabs = 2,
  kHoverKeyBoxes = 3,      // the seven key drop-down boxes of the Basic page
  kHoverMacroButtons = 4,  // the Advanced page's three macro buttons
};

struct HoverItem {
  int id;      // the page's own identifier, passed back to drawHover
  QRect rect;  // hit rectangle, right / bottom exclusive (QRect::contains)
  int group;   // HoverGroup
};

class Page {
 public:
  explicit Page(AppContext& ctx) : ctx_(ctx) {}
  virtual ~Page() = default;
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  virtual PageId id() const = 0;

  // Once per run, before the first paint of this page.
  virtual void firstShow() {}
  // The whole page onto the canvas (see above).
  virtual void paint(CMemDC& dc) = 0;
  // The image paint() draws first, at (0, 0); nullptr when it names none.
  // When that image is opaque and covers the canvas, nothing of the canvas's
  // earlier picture can show through the page.
  virtual const char* backgroundImage() const { return nullptr; }

  virtual void closeListsMissing(QPoint) {}
  virtual bool handleClick(QPoint p) = 0;

  // The other page is being entered (also when this one was never shown,
  // and as the first half of a forced refresh of this page): destroy this
  // page's child windows that exist, clear their open flags and list-hover
  // states. Nothing is drawn.
  virtual void leave() {}

  virtual std::vector<HoverItem> hoverItems() const { return {}; }
  virtual void drawHover(CMemDC&, int /*id*/, bool /*highlighted*/) {}

  virtual bool swallowsKeys() const { return false; }
  virtual bool preFilter(QObject* /*watched*/, QEvent* /*event*/) { return false; }

 protected:
  AppContext& ctx_;
};

}  // namespace hm
