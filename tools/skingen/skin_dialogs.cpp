// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_dialogs.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "gui/dialogs/dialog_layout.h"
#include "skin_pages.h"

namespace skingen {

namespace {

using hm::ltrb;
namespace dlg = hm::dlg;

constexpr int kDialogHeaderHeight = 30;
// Room kept right of and below the frame's OK / Cancel row and any other
// region of the dialog.
constexpr int kRightMargin = 5;
constexpr int kBottomMargin = 11;
constexpr int kRegionMargin = 10;
constexpr int kSideMargin = 8;     // panels from the dialog's left and right sides
constexpr int kPanelAboveOk = 11;  // content panel bottom above the OK row
constexpr int kFooterAboveOk = 5;  // footer from above the OK row ...
constexpr int kFooterBelowOk = 6;  // ... to below it
constexpr int kFooterSide = 4;     // the footer reaches nearer the right side
constexpr int kPlusArm = 5;
// The icon's place, right of the fields.
constexpr QPointF kIconCentre(292, 128);

enum class Icon { None, Key, Combo, Fire, Media, Window, Clock, Palette };

void paintDialogIcon(QPainter& p, Icon icon, const Theme& t) {
  if (icon == Icon::None) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c = kIconCentre;
  paintGlow(p, c, 70, 45, t);
  const QPen ink(t.accent, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  const QPen soft(t.glyph, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setBrush(Qt::NoBrush);
  auto keycap = [&](QRectF r) {
    p.setPen(soft);
    p.setBrush(t.faceBottom);
    p.drawRoundedRect(r, 7, 7);
    p.setPen(ink);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(6, 5, -6, -11), 4, 4);
  };
  switch (icon) {
    case Icon::Key: keycap(QRectF(c.x() - 30, c.y() - 30, 60, 60)); break;
    case Icon::Combo:
      keycap(QRectF(c.x() - 62, c.y() - 22, 44, 44));
      keycap(QRectF(c.x() + 18, c.y() - 22, 44, 44));
      p.setPen(ink);
      p.drawLine(QPointF(c.x() - 8, c.y()), QPointF(c.x() + 8, c.y()));
      p.drawLine(QPointF(c.x(), c.y() - 8), QPointF(c.x(), c.y() + 8));
      break;
    case Icon::Fire:
      p.setPen(ink);
      p.drawEllipse(c, 34, 34);
      p.drawEllipse(c, 16, 16);
      for (int i = 0; i < 4; ++i) {
        const double a = std::numbers::pi / 2 * i;
        p.drawLine(QPointF(c.x() + 24 * std::cos(a), c.y() + 24 * std::sin(a)),
                   QPointF(c.x() + 44 * std::cos(a), c.y() + 44 * std::sin(a)));
      }
      p.setPen(Qt::NoPen);
      p.setBrush(t.record);
      p.drawEllipse(c, 4, 4);
      break;
    case Icon::Media: {
      p.setPen(soft);
      p.drawEllipse(c, 38, 38);
      QPainterPath play;
      play.moveTo(c.x() - 11, c.y() - 17);
      play.lineTo(c.x() + 19, c.y());
      play.lineTo(c.x() - 11, c.y() + 17);
      play.closeSubpath();
      p.setPen(ink);
      p.setBrush(t.accentDeep);
      p.drawPath(play);
      break;
    }
    case Icon::Window:
      p.setPen(soft);
      p.setBrush(t.faceBottom);
      p.drawRoundedRect(QRectF(c.x() - 40, c.y() - 30, 80, 60), 5, 5);
      p.setPen(ink);
      p.drawLine(QPointF(c.x() - 40, c.y() - 16), QPointF(c.x() + 40, c.y() - 16));
      p.setPen(Qt::NoPen);
      p.setBrush(t.accent);
      for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(c.x() + 30 - i * 8, c.y() - 23), 2.2, 2.2);
      p.setPen(soft);
      p.drawLine(QPointF(c.x() - 28, c.y() - 2), QPointF(c.x() + 10, c.y() - 2));
      p.drawLine(QPointF(c.x() - 28, c.y() + 10), QPointF(c.x() + 22, c.y() + 10));
      break;
    case Icon::Clock:
      p.setPen(soft);
      p.drawEllipse(c, 36, 36);
      p.setPen(ink);
      p.drawLine(c, QPointF(c.x(), c.y() - 24));
      p.drawLine(c, QPointF(c.x() + 17, c.y() + 8));
      for (int i = 0; i < 12; ++i) {
        const double a = std::numbers::pi / 6 * i;
        p.drawPoint(QPointF(c.x() + 30 * std::cos(a), c.y() + 30 * std::sin(a)));
      }
      break;
    case Icon::Palette: {
      p.setPen(soft);
      p.setBrush(t.faceBottom);
      p.drawEllipse(c, 40, 34);
      const QColor dots[] = {t.accent, t.record, QColor(0xf0, 0xc0, 0x30), QColor(0x50, 0xe0, 0x80)};
      for (int i = 0; i < 4; ++i) {
        const double a = std::numbers::pi * (1.1 + 0.28 * i);
        p.setPen(Qt::NoPen);
        p.setBrush(dots[i]);
        p.drawEllipse(QPointF(c.x() + 24 * std::cos(a), c.y() + 20 * std::sin(a)), 6, 6);
      }
      p.setBrush(t.windowBottom);
      p.drawEllipse(QPointF(c.x() + 16, c.y() + 14), 7, 7);
      break;
    }
    case Icon::None: break;
  }
  p.restore();
}

struct DialogLayout {
  const char* file;
  Icon icon;
  std::vector<QRect> wells;      // fields painted by the dialog's controls
  std::vector<QRect> dropBoxes;  // click areas with a chevron at the right
  std::vector<QPointF> plusSigns;
  // The image sizes its dialog, so it must hold every region of the dialog:
  // drop-down lists that open below the OK / Cancel row and texts that run
  // past the usual right edge.
  std::vector<QRect> extent;
};

// The smallest dialog: room for the frame's OK / Cancel row.
QSize frameSize() {
  return {dlg::kCancelRect.right() + 1 + kRightMargin, dlg::kCancelRect.bottom() + 1 + kBottomMargin};
}

QSize dialogSize(const DialogLayout& d) {
  QSize size = frameSize();
  for (const QRect& r : d.extent)
    size = size.expandedTo(QSize(r.right() + 1 + kRegionMargin, r.bottom() + 1 + kRegionMargin));
  return size;
}

// The "+" between two fields stacked one above the other.
QPointF plusBetween(const QRect& above, const QRect& below) {
  return {std::round(QRectF(below).center().x()), (above.bottom() + 1 + below.top()) / 2.0};
}

QImage paintDialog(const Theme& t, const DialogLayout& d) {
  const QSize size = dialogSize(d);
  QImage img = scaledImage(t, size);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  paintWindowBase(p, size, t, kDialogHeaderHeight);
  paintEmblem(p, QPointF(16, 15), 7, t);
  // Content and footer (OK / Cancel) on flat panels across the dialog.
  const QRect ok = dlg::kOkRect;
  paintPanel(p,
             ltrb(kSideMargin, kDialogHeaderHeight + kSideMargin, size.width() - kSideMargin,
                  ok.top() - kPanelAboveOk),
             t);
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(ltrb(kSideMargin, ok.top() - kFooterAboveOk, size.width() - kFooterSide,
                  ok.bottom() + 1 + kFooterBelowOk),
             t.panel);
  p.restore();
  paintDialogIcon(p, d.icon, t);
  for (const QRect& w : d.wells) paintWell(p, w, t.dialogWell, t);
  for (const QRect& b : d.dropBoxes) {
    paintWell(p, b, t.dialogWell, t);
    const int h = b.height();
    p.fillRect(QRect(b.right() - h + 1, b.top() + 2, 1, h - 4), t.wellBorder);
    paintChevron(p, QRectF(b.right() - h + 1, b.top(), h, h), t.accent);
  }
  p.setPen(QPen(t.accent, 2, Qt::SolidLine, Qt::RoundCap));
  for (const QPointF& c : d.plusSigns) {
    p.drawLine(c - QPointF(kPlusArm, 0), c + QPointF(kPlusArm, 0));
    p.drawLine(c - QPointF(0, kPlusArm), c + QPointF(0, kPlusArm));
  }
  return img;
}

std::vector<DialogLayout> dialogLayouts() {
  return {
      {dlg::kSingleBackground, Icon::Key, {dlg::kSingleKeyName}, {}, {}, {}},
      {dlg::kComboBackground,
       Icon::Combo,
       {dlg::kComboKey1, dlg::kComboKey2},
       {dlg::kComboModifierBox},
       {plusBetween(dlg::kComboModifierBox, dlg::kComboKey1), plusBetween(dlg::kComboKey1, dlg::kComboKey2)},
       {}},
      {dlg::kFireBackground,
       Icon::Fire,
       {dlg::kFireSpeed, dlg::kFireTimes},
       {dlg::kFireBox},
       {},
       {dlg::kFireHeading, dlg::kFireSpeedNote, dlg::kFireTimesNote}},
      {dlg::kDelayBackground, Icon::Clock, {dlg::kDelayBox}, {}, {}, {}},
      {dlg::kMediaBackground, Icon::Media, {}, {dlg::kChoiceBox}, {}, {dlg::kMediaList}},
      {dlg::kWindowsBackground, Icon::Window, {}, {dlg::kChoiceBox}, {}, {dlg::kWindowsList}},
      // The option texts run far to the right: no icon there.
      {dlg::kMacroBackground,
       Icon::None,
       {},
       {dlg::kMacroBox},
       {},
       {dlg::kMacroList, dlg::kRepeatText[0], dlg::kRepeatText[1], dlg::kRepeatText[2]}},
      {dlg::kSkinsBackground, Icon::Palette, {dlg::kSkinsSwatch}, {dlg::kSkinsBox}, {}, {dlg::kSkinsList}},
  };
}

}  // namespace

QImage dialogImage(const Theme& t, std::string_view file) {
  for (const DialogLayout& d : dialogLayouts())
    if (file == d.file) return paintDialog(t, d);
  return {};
}

}  // namespace skingen
