// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/dialog_drop_down.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

#include "gui/skin/skin_rect.h"

namespace hm {

DialogDropDown::DialogDropDown(QWidget* owner, int listId, QRect box, QRect list, int wheelLines)
    : QObject(owner), owner_(owner), listId_(listId), box_(box), listRect_(list), wheelLines_(wheelLines) {}

DialogDropDown::~DialogDropDown() {
  // Forget the list before it dies: its destruction still sends events
  // through this filter.
  if (QListWidget* list = list_) {
    list_ = nullptr;
    list->viewport()->removeEventFilter(this);
    delete list;
  }
}

bool DialogDropDown::press(QPoint p) {
  if (inside(box_, p)) {
    if (isOpen()) {
      close();
    } else {
      open();
    }
    return true;
  }
  if (isOpen() && !inside(listRect_, p)) close();
  return false;
}

void DialogDropDown::open() {
  if (isOpen()) return;
  if (toggling) toggling(true);
  auto* list = new QListWidget(owner_);
  // The dialog's font, set on the list itself: the dialog's style sheet
  // would otherwise give it the application's default font.
  list->setFont(owner_->font());
  list->setObjectName(QStringLiteral("id%1").arg(listId_));
  list->setGeometry(listRect_);
  list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setMouseTracking(true);
  // The list never takes the focus: a focused list without a current row
  // would select its first row by itself.
  list->setFocusPolicy(Qt::NoFocus);
  list->viewport()->setMouseTracking(true);
  list->viewport()->installEventFilter(this);
  if (fill) list->addItems(fill());
  list->setCurrentRow(-1);
  connect(list, &QListWidget::currentRowChanged, this, [this, list](int row) {
    if (!tracking_) choose(list, row);
  });
  connect(list, &QListWidget::itemClicked, this,
          [this, list](QListWidgetItem* item) { choose(list, list->row(item)); });
  connect(list, &QListWidget::itemDoubleClicked, this,
          [this, list](QListWidgetItem* item) { choose(list, list->row(item)); });
  list_ = list;
  list->show();
}

void DialogDropDown::close() {
  if (!list_) return;
  QListWidget* list = list_;
  list_ = nullptr;
  list->viewport()->removeEventFilter(this);
  list->hide();
  list->deleteLater();
  if (toggling) toggling(false);
}

bool DialogDropDown::scroll(int delta) {
  if (!list_ || wheelLines_ <= 0) return false;
  // A sideways turn (tilt wheel, touchpad) has no vertical distance and
  // moves nothing.
  if (delta == 0) return true;
  QScrollBar* bar = list_->verticalScrollBar();
  bar->setValue(bar->value() + (delta > 0 ? -wheelLines_ : wheelLines_));
  return true;
}

void DialogDropDown::choose(QListWidget* from, int row) {
  if (from != list_ || row < 0 || row >= from->count()) return;
  const QString text = from->item(row)->text();
  close();
  if (chosen) chosen(row, text);
}

bool DialogDropDown::eventFilter(QObject* watched, QEvent* event) {
  // Only pointer moves and wheel turns matter; other events may come from a
  // list that is being destroyed and must not touch it.
  const QEvent::Type type = event->type();
  if ((type != QEvent::MouseMove && type != QEvent::Wheel) || !list_ || watched != list_->viewport())
    return QObject::eventFilter(watched, event);
  if (event->type() == QEvent::MouseMove) {
    const auto* move = static_cast<QMouseEvent*>(event);
    const int row = list_->indexAt(move->position().toPoint()).row();
    if (row >= 0 && row != list_->currentRow()) {
      // Following the pointer is not a choice.
      tracking_ = true;
      list_->setCurrentRow(row);
      tracking_ = false;
    }
  } else if (event->type() == QEvent::Wheel) {
    if (scroll(static_cast<QWheelEvent*>(event)->angleDelta().y())) return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace hm
