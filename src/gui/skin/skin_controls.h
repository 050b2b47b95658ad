// SPDX-License-Identifier: GPL-3.0-or-later
// The image-based controls of the skinned windows.
//
// Every control is a fixed rectangle on its window's canvas, drawn from skin
// images at their natural size with the image's top-left corner at the
// rectangle's top-left corner; the rectangle is used for hit tests and text
// placement. Only drop-down lists and colour swatches are real child widgets.
//
// Drawing: draw(dc, style) paints the control's current state through the
// window's CMemDC. A page painter draws all its controls with one CMemDC; a
// handler that changes one control redraws just that control with its own
// CMemDC (partialRedraw below), which then puts the client area on screen.
#pragma once

#include <QColor>
#include <QListWidget>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <span>
#include <vector>

#include "gui/skin/mem_dc.h"
#include "gui/skin/skin_images.h"
#include "gui/skin/skin_rect.h"
#include "gui/skin/skin_text.h"

namespace hm {

// The partial-redraw protocol: a CMemDC over the target's canvas, the given
// drawing, then one copy of the client area to the screen.
template <typename Draw>
void partialRedraw(QWidget* target, QImage& canvas, Draw&& draw) {
  CMemDC dc(target, canvas);
  draw(dc);
}

// Image button: normal / over image and an optional centred text (0x25).
struct SkinButton {
  QRect rect;
  QString normalImage;
  QString overImage;
  QString text;        // empty: no text
  int hoverGroup = 0;  // 0 = stands alone
  bool highlighted = false;

  bool contains(QPoint p) const { return inside(rect, p); }
  // Draws the over image when highlighted (or forced), else the normal one,
  // then the text in the normal font and skin text colour.
  void draw(CMemDC& dc, const SkinStyle& style) const;
  void drawAs(CMemDC& dc, const SkinStyle& style, bool over) const;
  // Sets the flag; true when it changed.
  bool setHighlighted(bool on);

  static SkinButton textButton(QPoint topLeft, const QString& text, int hoverGroup = 0);
  static SkinButton closeButton(QPoint topLeft);
  static SkinButton minimiseButton(QPoint topLeft);
  static SkinButton skinsButton(QPoint topLeft);
  static SkinButton basicTab(QPoint topLeft, int hoverGroup = 0);     // "PrePage"
  static SkinButton advancedTab(QPoint topLeft, int hoverGroup = 0);  // "NextPage"
};

// After a list was closed by the choice its first press made, the press that
// completes a double click there must go nowhere: the list is gone, and the
// window would take it as a new click on whatever lies under the pointer.
// Armed for one window, the guard drops that press and the double click Qt
// makes of it; any other press disarms it.
class DoubleClickGuard : public QObject {
  Q_OBJECT
 public:
  ~DoubleClickGuard() override;
  void arm(QWidget* window);
  bool armed() const { return window_ != nullptr; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void disarm();
  QPointer<QWidget> window_;
};

// Drop-down box with a real child list created on opening and destroyed on
// closing. A list closed by the user's choice keeps the rest of that double
// click from reaching the window (DoubleClickGuard). The list reports the user's choice through the signals,
// carrying the list identifier. A row made current by code (list()->setCurrentRow) reports like a user's
// choice; block the list's signals around such calls.
class SkinDropDown : public QObject {
  Q_OBJECT
 public:
  // parent is the window the list opens in; the box itself is owned by its
  // creator, not by the window.
  SkinDropDown(QWidget* parent, int identifier, QRect box, QRect list, QString image, QString overImage = {},
               QStringList items = {});
  ~SkinDropDown() override;

  QRect rect;                                       // the box
  QRect listRect;                                   // where the list opens
  int identifier;                                   // list identifier
  unsigned windowStyle = skin::kDropDownListStyle;  // of the list window
  QString image;
  QString overImage;  // empty: the box does not hover
  QStringList items;
  QString indexText;  // drawn in the first 20 pixels when not empty
  QString caption;    // the current value's text
  int hoverGroup = 0;
  bool highlighted = false;
  QColor listText{255, 255, 255};
  QColor listBackground{0, 0, 0};
  QFont listFont;  // applied when opening, if set

  bool contains(QPoint p) const { return inside(rect, p); }
  // Inside the box, or inside the list while it is open.
  bool hitsBoxOrList(QPoint p) const;

  bool isOpen() const { return open_; }
  QListWidget* list() const { return list_; }
  QWidget* parentWidget() const { return parent_; }

  // Creates the list if needed (visible, bordered, items in order), sets the
  // open flag. No guard and no group handling: see clickBox().
  void open();
  // Destroys the list and clears the open flag (nothing if closed).
  void close();
  void toggle();

  // A click on the box: closes an open list; otherwise closes the other open
  // lists of `group`, runs the guard (false stops: nothing opens) and opens.
  // Returns true when the list is open afterwards.
  bool clickBox(std::span<SkinDropDown* const> group = {}, const std::function<bool()>& guard = {});

  // Box image (over image when highlighted and hoverable), then the index
  // text in the first 20 pixels and the caption after it, left aligned and
  // vertically centred (0x24).
  void draw(CMemDC& dc, const SkinStyle& style) const;
  void drawAs(CMemDC& dc, const SkinStyle& style, bool over) const;
  bool setHighlighted(bool on);

  static constexpr int kIndexWidth = 20;

 signals:
  void selectionChanged(int identifier, int row);
  void doubleClicked(int identifier, int row);

 private:
  QPointer<QWidget> parent_;
  QPointer<QListWidget> list_;
  bool open_ = false;
  bool choosing_ = false;  // the list is reporting the user's choice
  DoubleClickGuard doubleClickGuard_;
};

// Closes every open list whose list and box both miss p; returns how many.
int closeListsNotHit(std::span<SkinDropDown* const> boxes, QPoint p);
// Closes every open list of the group except `keep`.
void closeOtherLists(std::span<SkinDropDown* const> group, const SkinDropDown* keep);

// Radio cells: exactly one of N cells light.
struct SkinCellSelector {
  std::vector<QRect> cells;
  QString darkImage;
  QString lightImage;
  int selected = 0;  // index into cells

  // Index of the cell containing p, or -1.
  int hit(QPoint p) const;
  bool contains(QPoint p) const { return hit(p) >= 0; }
  // Selecting the current cell (or an index out of range) changes nothing and
  // returns false; otherwise stores c and returns true.
  bool select(int c);
  // The same, and when it changed draws the old cell dark and c light.
  bool select(int c, CMemDC& dc, const SkinStyle& style);
  // All cells dark, the selected one light.
  void draw(CMemDC& dc, const SkinStyle& style) const;
  void drawCell(CMemDC& dc, const SkinStyle& style, int c, bool light) const;
};

// Level bar: cells of levels 1..count from an origin cell by a fixed step;
// levels 1..level lit, the rest unlit.
struct SkinLevelBar {
  QRect origin;  // the cell of level 1
  QPoint step;   // offset from one level's cell to the next (signed)
  int count = 1;
  QString unlitImage;
  QString litImage;
  int level = 1;  // 1..count

  QRect cellRect(int n) const;  // n counted from 1
  // Level whose cell contains p (1..count), or 0. Cells beyond count (the
  // upper cells of a shorter scale) are not part of the bar.
  int hit(QPoint p) const;
  bool contains(QPoint p) const { return hit(p) > 0; }
  // Stores n clamped to 1..count.
  void setLevel(int n);
  // The same, then draws the bar.
  void setLevel(int n, CMemDC& dc, const SkinStyle& style);
  // Draws levels 1..level lit and the rest up to count unlit; lit == false
  // draws every cell unlit (the owner is off).
  void draw(CMemDC& dc, const SkinStyle& style, bool lit = true) const;
};

// Check pane showing one configuration byte (0 or 1).
struct SkinPane {
  QRect rect;
  QString offImage = QString::fromLatin1(skin::kPaneOff);
  QString onImage = QString::fromLatin1(skin::kPaneOn);
  bool on = false;
  // Returns true when changing to `newValue` is not allowed.
  std::function<bool(bool newValue)> refuse;

  bool contains(QPoint p) const { return inside(rect, p); }
  // Refused: nothing, false. Otherwise flips the value, true.
  bool toggle();
  // The same, and when it changed draws the new picture.
  bool toggle(CMemDC& dc, const SkinStyle& style);
  void draw(CMemDC& dc, const SkinStyle& style) const;
};

// A real child widget filled with its colour. It lets clicks through to the
// parent, whose dispatcher handles them.
class ColorSwatch : public QWidget {
  Q_OBJECT
 public:
  ColorSwatch(QWidget* parent, int identifier, QRect rect, QColor color);
  int identifier() const { return identifier_; }
  QColor color() const { return color_; }
  void setColor(QColor c);
  bool contains(QPoint p) const { return inside(geometry(), p); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int identifier_;
  QColor color_;
};

}  // namespace hm
