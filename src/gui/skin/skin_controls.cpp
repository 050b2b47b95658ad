// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/skin_controls.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <utility>

#include "gui/skin/draw_skin_image.h"
#include "gui/skin/skin_library.h"

namespace hm {
namespace {

QString name(const char* s) { return QString::fromLatin1(s); }

void drawImage(CMemDC& dc, const SkinStyle& style, const QString& image, QPoint at) {
  if (style.skins && !image.isEmpty()) drawSkinImage(dc.canvas(), *style.skins, image, at.x(), at.y());
}

SkinButton imageButton(QPoint topLeft, QSize size, const char* normal, const char* over, int group) {
  SkinButton b;
  b.rect = QRect(topLeft, size);
  b.normalImage = name(normal);
  b.overImage = name(over);
  b.hoverGroup = group;
  return b;
}

}  // namespace

// ---- SkinButton ----

void SkinButton::draw(CMemDC& dc, const SkinStyle& style) const { drawAs(dc, style, highlighted); }

void SkinButton::drawAs(CMemDC& dc, const SkinStyle& style, bool over) const {
  drawImage(dc, style, over && !overImage.isEmpty() ? overImage : normalImage, rect.topLeft());
  if (!text.isEmpty()) {
    drawSkinText(dc.painter(), rect, text, kTextCenter, style.fonts.normal, style.textColor);
  }
}

bool SkinButton::setHighlighted(bool on) {
  if (highlighted == on) return false;
  highlighted = on;
  return true;
}

SkinButton SkinButton::textButton(QPoint topLeft, const QString& text, int hoverGroup) {
  SkinButton b =
      imageButton(topLeft, skin::kTextButtonSize, skin::kButtonNormal, skin::kButtonOver, hoverGroup);
  b.text = text;
  return b;
}
SkinButton SkinButton::closeButton(QPoint topLeft) {
  return imageButton(topLeft, skin::kFrameButtonSize, skin::kCloseNormal, skin::kCloseOver, 0);
}
SkinButton SkinButton::minimiseButton(QPoint topLeft) {
  return imageButton(topLeft, skin::kFrameButtonSize, skin::kMinNormal, skin::kMinOver, 0);
}
SkinButton SkinButton::skinsButton(QPoint topLeft) {
  return imageButton(topLeft, skin::kFrameButtonSize, skin::kSkinsNormal, skin::kSkinsOver, 0);
}
SkinButton SkinButton::basicTab(QPoint topLeft, int hoverGroup) {
  return imageButton(topLeft, skin::kPageTabSize, skin::kPrePageNormal, skin::kPrePageOver, hoverGroup);
}
SkinButton SkinButton::advancedTab(QPoint topLeft, int hoverGroup) {
  return imageButton(topLeft, skin::kPageTabSize, skin::kNextPageNormal, skin::kNextPageOver, hoverGroup);
}

// ---- DoubleClickGuard ----

DoubleClickGuard::~DoubleClickGuard() { disarm(); }

void DoubleClickGuard::arm(QWidget* window) {
  if (window == nullptr) return;
  disarm();
  window_ = window->window();
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

void DoubleClickGuard::disarm() {
  if (!window_) return;
  window_ = nullptr;
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool DoubleClickGuard::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) return false;
  // Widgets of the window only (the window-system object sees the events first).
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || !window_ || widget->window() != window_) return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  if (type == QEvent::MouseButtonPress && !mouse->flags().testFlag(Qt::MouseEventCreatedDoubleClick)) {
    disarm();  // a click of its own
    return false;
  }
  // The second press of the double click, or the double click made of it.
  if (type == QEvent::MouseButtonDblClick) disarm();
  return true;
}

// ---- SkinDropDown ----

SkinDropDown::SkinDropDown(QWidget* parent, int id, QRect box, QRect list, QString img, QString overImg,
                           QStringList itemTexts)
    // Not a QObject child of the window: whoever creates the box owns it
    // (typically through a unique_ptr), so the window cannot delete it twice.
    : QObject(nullptr),
      rect(box),
      listRect(list),
      identifier(id),
      image(std::move(img)),
      overImage(std::move(overImg)),
      items(std::move(itemTexts)),
      parent_(parent) {}

SkinDropDown::~SkinDropDown() { close(); }

bool SkinDropDown::hitsBoxOrList(QPoint p) const { return inside(rect, p) || (open_ && inside(listRect, p)); }

void SkinDropDown::open() {
  if (!list_ && parent_) {
    auto* l = new QListWidget(parent_);
    l->setObjectName(QStringLiteral("dropDownList%1").arg(identifier));
    l->setFrameShape(QFrame::Box);
    l->setGeometry(listRect);
    l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A list that gains focus from Tab or from the window becoming active
    // makes its first row current, which would be reported as a choice: the
    // list takes focus only from a click.
    l->setFocusPolicy(Qt::ClickFocus);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Base, listBackground);
    pal.setColor(QPalette::Window, listBackground);
    pal.setColor(QPalette::Text, listText);
    l->setPalette(pal);
    if (listFont != QFont()) l->setFont(listFont);
    l->addItems(items);
    // Rows are reported as the user picks them; no row is current at first,
    // so setting up the list reports nothing.
    l->setCurrentRow(-1);
    const int id = identifier;
    connect(l, &QListWidget::currentRowChanged, this, [this, id](int row) {
      if (row < 0) return;
      choosing_ = true;
      emit selectionChanged(id, row);
      choosing_ = false;
    });
    connect(l, &QListWidget::itemDoubleClicked, this,
            [this, id, l](QListWidgetItem* item) { emit doubleClicked(id, l->row(item)); });
    list_ = l;
    l->show();
  }
  open_ = true;
}

void SkinDropDown::close() {
  // Closed by the user's choice (made by a press): the rest of a double
  // click there goes nowhere.
  if (choosing_ && list_) doubleClickGuard_.arm(parent_);
  if (list_) {
    QListWidget* l = list_;
    list_ = nullptr;
    l->hide();
    // Deleted later: close() may run from the list's own signal.
    l->disconnect(this);
    l->deleteLater();
  }
  open_ = false;
}

void SkinDropDown::toggle() {
  if (open_) {
    close();
  } else {
    open();
  }
}

bool SkinDropDown::clickBox(std::span<SkinDropDown* const> group, const std::function<bool()>& guard) {
  if (open_) {
    close();
    return false;
  }
  closeOtherLists(group, this);
  if (guard && !guard()) return false;
  open();
  return true;
}

void SkinDropDown::draw(CMemDC& dc, const SkinStyle& style) const { drawAs(dc, style, highlighted); }

void SkinDropDown::drawAs(CMemDC& dc, const SkinStyle& style, bool over) const {
  drawImage(dc, style, over && !overImage.isEmpty() ? overImage : image, rect.topLeft());
  QRect captionRect = rect;
  if (!indexText.isEmpty()) {
    const QRect indexRect(rect.left(), rect.top(), kIndexWidth, rect.height());
    drawSkinText(dc.painter(), indexRect, indexText, kTextLeftVCenter, style.fonts.normal, style.textColor);
    captionRect.setLeft(rect.left() + kIndexWidth);
  }
  drawSkinText(dc.painter(), captionRect, caption, kTextLeftVCenter, style.fonts.normal, style.textColor);
}

bool SkinDropDown::setHighlighted(bool on) {
  if (highlighted == on) return false;
  highlighted = on;
  return true;
}

int closeListsNotHit(std::span<SkinDropDown* const> boxes, QPoint p) {
  int closed = 0;
  for (SkinDropDown* d : boxes) {
    if (d && d->isOpen() && !inside(d->listRect, p) && !inside(d->rect, p)) {
      d->close();
      ++closed;
    }
  }
  return closed;
}

void closeOtherLists(std::span<SkinDropDown* const> group, const SkinDropDown* keep) {
  for (SkinDropDown* d : group) {
    if (d && d != keep && d->isOpen()) d->close();
  }
}

// ---- SkinCellSelector ----

int SkinCellSelector::hit(QPoint p) const {
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (inside(cells[i], p)) return static_cast<int>(i);
  }
  return -1;
}

bool SkinCellSelector::select(int c) {
  if (c < 0 || c >= static_cast<int>(cells.size()) || c == selected) return false;
  selected = c;
  return true;
}

bool SkinCellSelector::select(int c, CMemDC& dc, const SkinStyle& style) {
  const int old = selected;
  if (!select(c)) return false;
  if (old >= 0 && old < static_cast<int>(cells.size())) drawCell(dc, style, old, false);
  drawCell(dc, style, c, true);
  return true;
}

void SkinCellSelector::draw(CMemDC& dc, const SkinStyle& style) const {
  for (std::size_t i = 0; i < cells.size(); ++i) {
    drawCell(dc, style, static_cast<int>(i), static_cast<int>(i) == selected);
  }
}

void SkinCellSelector::drawCell(CMemDC& dc, const SkinStyle& style, int c, bool light) const {
  if (c < 0 || c >= static_cast<int>(cells.size())) return;
  drawImage(dc, style, light ? lightImage : darkImage, cells[static_cast<std::size_t>(c)].topLeft());
}

// ---- SkinLevelBar ----

QRect SkinLevelBar::cellRect(int n) const { return origin.translated(step * (n - 1)); }

int SkinLevelBar::hit(QPoint p) const {
  for (int n = 1; n <= count; ++n) {
    if (inside(cellRect(n), p)) return n;
  }
  return 0;
}

void SkinLevelBar::setLevel(int n) { level = std::clamp(n, 1, std::max(count, 1)); }

void SkinLevelBar::setLevel(int n, CMemDC& dc, const SkinStyle& style) {
  setLevel(n);
  draw(dc, style);
}

void SkinLevelBar::draw(CMemDC& dc, const SkinStyle& style, bool lit) const {
  for (int n = 1; n <= count; ++n) {
    drawImage(dc, style, lit && n <= level ? litImage : unlitImage, cellRect(n).topLeft());
  }
}

// ---- SkinPane ----

bool SkinPane::toggle() {
  if (refuse && refuse(!on)) return false;
  on = !on;
  return true;
}

bool SkinPane::toggle(CMemDC& dc, const SkinStyle& style) {
  if (!toggle()) return false;
  draw(dc, style);
  return true;
}

void SkinPane::draw(CMemDC& dc, const SkinStyle& style) const {
  drawImage(dc, style, on ? onImage : offImage, rect.topLeft());
}

// ---- ColorSwatch ----

ColorSwatch::ColorSwatch(QWidget* parent, int identifier, QRect rect, QColor color)
    : QWidget(parent), identifier_(identifier), color_(color) {
  setGeometry(rect);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_OpaquePaintEvent);
  show();
}

void ColorSwatch::setColor(QColor c) {
  if (c == color_) return;
  color_ = c;
  update();
}

void ColorSwatch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), color_);
}

}  // namespace hm
