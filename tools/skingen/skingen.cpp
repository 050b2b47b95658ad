// Draws the default skins into <output>/Skins/<name>/ and writes the factory
// <output>/str.ini. Run at build time: skingen <output folder>.
//
// Every control image is opaque and carries, outside its own shape, the flat
// panel colour that lies under it on the pages, so redrawing a control in
// another state never leaves traces of the previous picture. The page
// backgrounds put their panels, wells and icons exactly where the pages draw
// their controls and texts.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "gui/skin/skin_rect.h"
#include "skin_painter.h"

using hm::ltrb;
using namespace skingen;

namespace {

constexpr QSize kWindowSize{880, 660};
constexpr QSize kDialogSize{380, 285};
constexpr int kHeaderHeight = 30;
constexpr int kDialogHeaderHeight = 30;

// The factory text colour: a light cyan that reads well on both skins.
constexpr int kTextRed = 150;
constexpr int kTextGreen = 220;
constexpr int kTextBlue = 245;

class Writer {
 public:
  explicit Writer(QString folder) : folder_(std::move(folder)) {}
  bool save(const QImage& img, const QString& name) {
    const QString path = folder_ + u'/' + name;
    if (!img.save(path, "PNG")) {
      std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(path));
      ok_ = false;
    }
    return ok_;
  }
  bool ok() const { return ok_; }

 private:
  QString folder_;
  bool ok_ = true;
};

// ---- control images ----

QImage textButton(const Theme& t, bool over) {
  return controlImage({105, 21}, t.panel,
                      [&](QPainter& p) { paintButtonFace(p, QRectF(0, 0, 105, 21), t, over); });
}

enum class Glyph { Close, Minimise, Skins };

QImage frameButton(const Theme& t, Glyph glyph, bool over) {
  return controlImage({18, 18}, t.header, [&](QPainter& p) {
    const QRectF box(0.5, 0.5, 17, 17);
    if (over) {
      const QColor fill = glyph == Glyph::Close ? QColor(0xd0, 0x24, 0x36) : t.accentDeep;
      p.setPen(QPen(glyph == Glyph::Close ? QColor(0xff, 0x60, 0x70) : t.accent, 1));
      p.setBrush(fill);
      p.drawRoundedRect(box, 3, 3);
    } else {
      p.setPen(QPen(t.faceBorder, 1));
      p.setBrush(t.faceBottom);
      p.drawRoundedRect(box, 3, 3);
    }
    const QColor ink = over ? QColor(Qt::white) : t.glyph;
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
      case Glyph::Close:
        p.drawLine(QPointF(5.5, 5.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 5.5), QPointF(5.5, 12.5));
        break;
      case Glyph::Minimise: p.drawLine(QPointF(5, 12.5), QPointF(13, 12.5)); break;
      case Glyph::Skins: {
        // A small palette: ring with three colour dots.
        p.drawEllipse(QPointF(9, 9), 5.2, 5.2);
        p.setPen(Qt::NoPen);
        p.setBrush(over ? QColor(Qt::white) : t.accent);
        p.drawEllipse(QPointF(7, 7.2), 1.4, 1.4);
        p.setBrush(t.record);
        p.drawEllipse(QPointF(11, 7.2), 1.4, 1.4);
        p.setBrush(QColor(0xf0, 0xc0, 0x30));
        p.drawEllipse(QPointF(9, 11.3), 1.4, 1.4);
        break;
      }
    }
  });
}

QColor backgroundAt(const QImage& bg, QPoint pt) { return QColor(bg.pixel(pt)); }

// Page tabs: 40 x 40 tiles, a mouse for the Basic page and sliders for the
// Advanced page.
QImage pageTab(const Theme& t, QColor base, bool advanced, bool over) {
  return controlImage({40, 40}, base, [&](QPainter& p) {
    const QRectF box(0.5, 0.5, 39, 39);
    QLinearGradient g(0, 0, 0, 40);
    g.setColorAt(0, over ? mix(t.face, t.accent, 0.35) : t.face);
    g.setColorAt(1, over ? mix(t.faceBottom, t.accentDeep, 0.6) : t.faceBottom);
    p.setPen(QPen(over ? t.accent : t.faceBorder, 1));
    p.setBrush(g);
    p.drawRoundedRect(box, 6, 6);
    const QColor ink = over ? QColor(Qt::white) : t.glyph;
    p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    if (!advanced) {
      const QRectF body(12.5, 8.5, 15, 23);
      p.drawRoundedRect(body, 7.5, 7.5);
      p.drawLine(QPointF(20, 8.5), QPointF(20, 17));
      p.drawLine(QPointF(12.5, 17), QPointF(27.5, 17));
      p.setPen(QPen(over ? QColor(Qt::white) : t.accent, 2.2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(20, 11), QPointF(20, 13.5));
    } else {
      for (int i = 0; i < 3; ++i) {
        const double y = 12.5 + i * 7.5;
        p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, y), QPointF(31, y));
        const double knob = 13 + ((i * 7) % 3) * 6 + i * 2;
        p.setPen(QPen(over ? QColor(Qt::white) : t.accent, 1.6));
        p.setBrush(over ? t.accent : t.faceBottom);
        p.drawEllipse(QPointF(knob, y), 2.6, 2.6);
        p.setBrush(Qt::NoBrush);
      }
    }
  });
}

// Drop-down boxes: a dark field, the index compartment (key boxes only) and a
// chevron compartment on the right.
QImage dropDownBox(const Theme& t, QSize size, bool withIndex, bool over) {
  return controlImage(size, t.panel, [&](QPainter& p) {
    const QRectF box(0.5, 0.5, size.width() - 1, size.height() - 1);
    p.setPen(QPen(over ? t.accent : t.wellBorder, 1));
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, over ? mix(t.well, t.accentDeep, 0.45) : t.well.lighter(180));
    g.setColorAt(1, t.well);
    p.setBrush(g);
    p.drawRoundedRect(box, 2.5, 2.5);
    const double arrowW = size.height();
    const QColor sep = over ? t.accent : t.wellBorder;
    p.setPen(QPen(sep, 1));
    p.drawLine(QPointF(size.width() - arrowW - 0.5, 3),
               QPointF(size.width() - arrowW - 0.5, size.height() - 3));
    if (withIndex) {
      // The index compartment (first 20 pixels) is tinted like a badge.
      QColor badge = over ? t.accent : t.accentDeep;
      badge.setAlpha(over ? 90 : 70);
      p.setPen(Qt::NoPen);
      p.setBrush(badge);
      p.drawRoundedRect(QRectF(1, 1, 18.5, size.height() - 2), 2, 2);
      p.setPen(QPen(sep, 1));
      p.drawLine(QPointF(19.5, 3), QPointF(19.5, size.height() - 3));
    }
    paintChevron(p, QRectF(size.width() - arrowW, 0, arrowW, size.height()),
                 over ? QColor(Qt::white) : t.accent);
  });
}

QImage tickPane(const Theme& t, bool ticked) {
  return controlImage({16, 16}, t.panel, [&](QPainter& p) {
    const QRectF box(0.5, 0.5, 15, 15);
    p.setPen(QPen(ticked ? t.accent : t.wellBorder, 1));
    p.setBrush(ticked ? mix(t.well, t.accentDeep, 0.5) : t.well);
    p.drawRoundedRect(box, 2.5, 2.5);
    if (ticked) {
      QPainterPath tick;
      tick.moveTo(4, 8.3);
      tick.lineTo(7, 11.2);
      tick.lineTo(12.2, 4.8);
      p.setPen(QPen(t.accent.lighter(130), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(Qt::NoBrush);
      p.drawPath(tick);
    }
  });
}

// `base` is what shows around the cell's rounded corners: the panel, or the
// well of a slider whose cells touch.
QImage cell(const Theme& t, QSize size, bool lit, QColor base) {
  return controlImage(size, base,
                      [&](QPainter& p) { paintCell(p, QRectF(QPointF(0, 0), QSizeF(size)), t, lit); });
}
QImage cell(const Theme& t, QSize size, bool lit) { return cell(t, size, lit, t.panel); }

// ---- page backgrounds ----

void paintFrame(QPainter& p, const Theme& t) {
  paintWindowBase(p, kWindowSize, t, kHeaderHeight);
  paintEmblem(p, QPointF(18, 15), 8, t);
  // Page title band: accent line under the title text (120,50 .. 352,100).
  paintAccentLine(p, 120, 352, 92, t);
  // Bottom bar: OK / Apply / Cancel and the web address.
  paintPanel(p, ltrb(8, 603, 872, 652), t);
}

// A soft round glow of the accent colour, fading out towards its rim.
void paintGlow(QPainter& p, QPointF centre, qreal radius, int alpha, const Theme& t) {
  QRadialGradient glow(centre, radius);
  QColor inner = t.accent;
  inner.setAlpha(alpha);
  QColor outer = t.accent;
  outer.setAlpha(0);
  glow.setColorAt(0, inner);
  glow.setColorAt(1, outer);
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(centre, radius, radius);
}

// A stylised mouse seen from above, in the empty left column of the Basic page.
void paintMouseIllustration(QPainter& p, const Theme& t) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(124, 352);
  paintGlow(p, c, 150, 40, t);

  QPainterPath body;
  body.moveTo(124, 222);
  body.cubicTo(176, 222, 196, 262, 196, 320);
  body.lineTo(196, 410);
  body.cubicTo(196, 462, 164, 492, 124, 492);
  body.cubicTo(84, 492, 52, 462, 52, 410);
  body.lineTo(52, 320);
  body.cubicTo(52, 262, 72, 222, 124, 222);
  QLinearGradient bg(52, 222, 196, 492);
  bg.setColorAt(0, t.face);
  bg.setColorAt(1, t.windowBottom);
  p.setBrush(bg);
  p.setPen(QPen(t.faceBorder, 1.5));
  p.drawPath(body);
  // Button split and wheel.
  p.setPen(QPen(t.faceBorder.lighter(130), 1.5));
  p.drawLine(QPointF(124, 222), QPointF(124, 300));
  p.drawLine(QPointF(54, 318), QPointF(194, 318));
  p.setPen(QPen(t.accent, 2));
  p.setBrush(t.accentDeep);
  p.drawRoundedRect(QRectF(117, 250, 14, 34), 7, 7);
  // Side buttons.
  p.setPen(QPen(t.faceBorder.lighter(120), 1.2));
  p.setBrush(t.faceBottom);
  p.drawRoundedRect(QRectF(44, 332, 10, 26), 3, 3);
  p.drawRoundedRect(QRectF(44, 364, 10, 26), 3, 3);
  // Light strips along both flanks and the emblem on the palm.
  p.setPen(QPen(t.accent, 2.5, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  QPainterPath left;
  left.moveTo(62, 330);
  left.lineTo(62, 408);
  left.cubicTo(62, 440, 76, 462, 96, 474);
  p.drawPath(left);
  QPainterPath right;
  right.moveTo(186, 330);
  right.lineTo(186, 408);
  right.cubicTo(186, 440, 172, 462, 152, 474);
  p.drawPath(right);
  paintEmblem(p, QPointF(124, 420), 13, t);
  // DPI indicator dots.
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 4; ++i) {
    QColor d = t.accent;
    d.setAlpha(i == 1 ? 255 : 90);
    p.setBrush(d);
    p.drawEllipse(QPointF(140, 334 + i * 9), 2.2, 2.2);
  }
  p.restore();
}

QImage basicPage(const Theme& t) {
  QImage img(kWindowSize, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  paintFrame(p, t);
  paintMouseIllustration(p, t);

  // Key setting: title 259,160..364,181; boxes 252..463 x 186..345; mode and
  // default buttons down to 570.
  paintPanel(p, ltrb(240, 150, 476, 582), t);
  paintAccentLine(p, 252, 464, 183, t);
  paintAccentLine(p, 252, 464, 508, t);

  // Report rate: title 504,161..609,182; cells 542..828 x 204..215; labels
  // below them to 245.
  paintPanel(p, ltrb(490, 150, 846, 256), t);
  paintAccentLine(p, 500, 836, 186, t);
  paintWell(p, ltrb(540, 202, 830, 217), t.well, t);

  // DPI: title 504,275..609,296; columns 554..651, levels y 320..534; panes
  // 541..557 with the stage numbers below to 587; labels 494..544.
  paintPanel(p, ltrb(490, 266, 682, 600), t);
  paintAccentLine(p, 500, 672, 300, t);
  for (int x : {554, 581, 608, 635}) {
    paintWell(p, ltrb(x - 2, 318, x + 18, 536), t.well, t);
  }

  // LED panel: x 697..870, y 275..609.
  paintPanel(p, ltrb(690, 266, 876, 600), t);
  paintAccentLine(p, 700, 866, 300, t);
  paintAccentLine(p, 700, 866, 418, t);
  paintAccentLine(p, 700, 866, 502, t);
  // Mode and parameter faces (text on black, 767..835) inside their boxes.
  paintWell(p, ltrb(767, 330, 835, 344), QColor(Qt::black), t);
  paintWell(p, ltrb(767, 360, 835, 374), QColor(Qt::black), t);
  // Colour swatches: a thin frame around each child swatch.
  for (int k = 0; k < 8; ++k) {
    paintWell(p, ltrb(703 + 21 * k, 420, 719 + 21 * k, 436), t.well, t);
  }
  return img;
}

void paintRecordIcon(QPainter& p, const QRect& area, const Theme& t, bool stop) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF box = QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient g(box.topLeft(), box.bottomLeft());
  g.setColorAt(0, t.face);
  g.setColorAt(1, t.faceBottom);
  p.setPen(QPen(t.faceBorder, 1));
  p.setBrush(g);
  p.drawRoundedRect(box, 5, 5);
  const QPointF c = box.center();
  if (stop) {
    p.setPen(Qt::NoPen);
    p.setBrush(t.glyph);
    p.drawRoundedRect(QRectF(c.x() - 6, c.y() - 6, 12, 12), 2, 2);
  } else {
    QRadialGradient dot(c, 8);
    dot.setColorAt(0, t.record.lighter(130));
    dot.setColorAt(1, t.record.darker(140));
    p.setPen(QPen(t.record.lighter(150), 1));
    p.setBrush(dot);
    p.drawEllipse(c, 7, 7);
  }
  p.restore();
}

QImage advancedPage(const Theme& t) {
  QImage img(kWindowSize, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  paintFrame(p, t);

  // Pointer settings: titles at y 160 / 310 / 460, sliders (52..316) at
  // y 200 / 350 / 500, ticks at 255 and 405, "Default" at 194,573.
  paintPanel(p, ltrb(24, 150, 442, 600), t);
  for (int y : {160, 310, 460}) paintAccentLine(p, 36, 430, y + 23, t);
  for (int y : {200, 350, 500}) paintWell(p, ltrb(50, y - 2, 318, y + 13), t.well, t);

  // Macro editor: title 469,160..578,181; column heads 457..875 x 196..220;
  // lists 462..725 x 220..512; record options from x 735.
  paintPanel(p, ltrb(450, 150, 876, 600), t);
  paintAccentLine(p, 460, 866, 183, t);
  p.fillRect(ltrb(457, 196, 875, 220), t.header);
  p.fillRect(ltrb(457, 219, 875, 220), t.panelBorder);
  p.fillRect(ltrb(591, 199, 592, 217), t.panelBorder);
  p.fillRect(ltrb(725, 199, 726, 217), t.panelBorder);
  paintWell(p, ltrb(462, 220, 591, 512), t.well, t);
  paintWell(p, ltrb(592, 220, 725, 512), t.well, t);
  paintRecordIcon(p, ltrb(735, 229, 764, 258), t, false);
  paintRecordIcon(p, ltrb(735, 265, 764, 294), t, true);
  paintWell(p, ltrb(735, 322, 799, 336), QColor(Qt::black), t);
  paintWell(p, ltrb(735, 362, 799, 376), QColor(Qt::black), t);
  // Mouse-event face 735..839 with its chevron up to 854.
  paintWell(p, ltrb(735, 402, 854, 416), QColor(Qt::black), t);
  p.fillRect(ltrb(839, 403, 840, 415), t.wellBorder);
  paintChevron(p, QRectF(840, 402, 14, 14), t.accent);
  paintAccentLine(p, 460, 866, 520, t);
  return img;
}

// The window's first picture, shown until a page is painted (no mouse yet):
// the frame with the mouse in the middle.
QImage mainImage(const Theme& t) {
  QImage img(kWindowSize, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  paintFrame(p, t);
  // A window shown before any page (the mouse is missing) still shows where
  // its skins, minimise and close buttons are.
  p.drawImage(QPoint(701, 5), frameButton(t, Glyph::Skins, false));
  p.drawImage(QPoint(825, 5), frameButton(t, Glyph::Minimise, false));
  p.drawImage(QPoint(850, 5), frameButton(t, Glyph::Close, false));
  p.translate(440 - 124, 330 - 357);
  paintMouseIllustration(p, t);
  return img;
}

// ---- dialogs ----

enum class Icon { None, Key, Combo, Fire, Media, Window, Clock, Palette };

void paintDialogIcon(QPainter& p, Icon icon, const Theme& t) {
  if (icon == Icon::None) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(292, 128);
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
  QSize size = kDialogSize;
};

QImage dialogImage(const Theme& t, const DialogLayout& d) {
  const QSize size = d.size;
  QImage img(size, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  paintWindowBase(p, size, t, kDialogHeaderHeight);
  paintEmblem(p, QPointF(16, 15), 7, t);
  // Content and footer (OK / Cancel at 166..375 x 253..274) on flat panels;
  // a wider dialog widens both with the same margins.
  const int extraWidth = size.width() - kDialogSize.width();
  paintPanel(p, ltrb(8, 38, 372 + extraWidth, 242), t);
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(ltrb(8, 248, 376 + extraWidth, 280), t.panel);
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
    p.drawLine(c - QPointF(5, 0), c + QPointF(5, 0));
    p.drawLine(c - QPointF(0, 5), c + QPointF(0, 5));
  }
  return img;
}

std::vector<DialogLayout> dialogLayouts() {
  return {
      {"single-key.png", Icon::Key, {ltrb(74, 129, 150, 143)}, {}, {}},
      {"combo-key.png",
       Icon::Combo,
       {ltrb(50, 120, 131, 134), ltrb(50, 170, 131, 184)},
       {ltrb(50, 70, 132, 84)},
       {QPointF(91, 102), QPointF(91, 152)}},
      // The notes run to x = 400.
      {"fire-key.png",
       Icon::Fire,
       {ltrb(50, 120, 131, 134), ltrb(50, 170, 131, 184)},
       {ltrb(50, 70, 132, 84)},
       {},
       {410, 285}},
      {"delay-time.png", Icon::Clock, {ltrb(74, 129, 150, 143)}, {}, {}},
      {"media-key.png", Icon::Media, {}, {ltrb(43, 129, 151, 143)}, {}},
      // The open list reaches y = 305.
      {"windows-key.png", Icon::Window, {}, {ltrb(43, 129, 151, 143)}, {}, {380, 315}},
      // The option texts run to x = 390 and the open list to y = 285: no
      // icon, and room on both sides.
      {"macro-key.png", Icon::None, {}, {ltrb(43, 129, 151, 143)}, {}, {400, 295}},
      {"skins.png", Icon::Palette, {ltrb(42, 94, 151, 110)}, {ltrb(42, 128, 151, 144)}, {}},
  };
}

bool writeSkin(const QString& root, const Theme& t) {
  const QString folder = root + QStringLiteral("/Skins/") + t.name;
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "skingen: cannot create %s\n", qPrintable(folder));
    return false;
  }
  Writer w(folder);
  const QImage basic = basicPage(t);
  w.save(mainImage(t), "main.png");
  w.save(basic, "BasicSet2.png");
  w.save(advancedPage(t), "AdvancedSet2.png");
  w.save(textButton(t, false), "button-normal.png");
  w.save(textButton(t, true), "button-over.png");
  w.save(frameButton(t, Glyph::Close, false), "button-close-normal.png");
  w.save(frameButton(t, Glyph::Close, true), "button-close-over.png");
  w.save(frameButton(t, Glyph::Minimise, false), "button-min-normal.png");
  w.save(frameButton(t, Glyph::Minimise, true), "button-min-over.png");
  w.save(frameButton(t, Glyph::Skins, false), "button-Skins-normal.png");
  w.save(frameButton(t, Glyph::Skins, true), "button-Skins-over.png");
  // The tabs sit on the window background; take its colour at their corner.
  const QColor tabBase = backgroundAt(basic, QPoint(20, 55));
  w.save(pageTab(t, tabBase, false, false), "button-PrePage-normal.png");
  w.save(pageTab(t, tabBase, false, true), "button-PrePage-over.png");
  w.save(pageTab(t, tabBase, true, false), "button-NextPage-normal.png");
  w.save(pageTab(t, tabBase, true, true), "button-NextPage-over.png");
  w.save(dropDownBox(t, {211, 21}, true, false), "DropdownBox-normal.png");
  w.save(dropDownBox(t, {211, 21}, true, true), "DropdownBox-over.png");
  w.save(dropDownBox(t, {85, 16}, false, false), "DropdownBox.png");
  w.save(cell(t, {70, 11}, false), "slider-RP-dark.png");
  w.save(cell(t, {70, 11}, true), "slider-RP-light.png");
  w.save(cell(t, {16, 16}, false), "slider-DPI-dark.png");
  w.save(cell(t, {16, 16}, true), "slider-DPI-light.png");
  w.save(cell(t, {24, 11}, false, t.well), "slider-dark.png");
  w.save(cell(t, {24, 11}, true, t.well), "slider-light.png");
  w.save(tickPane(t, false), "Pane.png");
  w.save(tickPane(t, true), "PaneMakingTick.png");
  for (const DialogLayout& d : dialogLayouts()) w.save(dialogImage(t, d), QString::fromLatin1(d.file));
  return w.ok();
}

bool writeStrIni(const QString& root) {
  QFile f(root + QStringLiteral("/str.ini"));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    std::fprintf(stderr, "skingen: cannot write %s: %s\n", qPrintable(f.fileName()),
                 qPrintable(f.errorString()));
    return false;
  }
  const QByteArray text = QStringLiteral("[Skins]\nRColor=%1\nGColor=%2\nBColor=%3\nPath=Default\n")
                              .arg(kTextRed)
                              .arg(kTextGreen)
                              .arg(kTextBlue)
                              .toUtf8();
  return f.write(text) == text.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skingen <output folder>\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  bool ok = writeSkin(root, defaultTheme());
  ok = writeSkin(root, crimsonTheme()) && ok;
  ok = writeStrIni(root) && ok;
  return ok ? 0 : 1;
}
