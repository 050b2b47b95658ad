// SPDX-License-Identifier: GPL-3.0-or-later
// The drop-down list of the assignment dialogs: a box rectangle on the
// dialog that toggles a real list box below it. The list is created at each
// opening (filled afresh) and destroyed at each closing; a press outside the
// box and the list closes it; the row under the pointer becomes the current
// row (hot tracking, without counting as a choice); a user's selection
// change, click or double click is the choice and closes the list.
#pragma once

#include <QListWidget>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <functional>

namespace hm {

class DialogDropDown : public QObject {
  Q_OBJECT
 public:
  // wheelLines > 0: the wheel scrolls the open list that many rows per
  // notch (up for a positive distance); 0 keeps the list's own scrolling.
  DialogDropDown(QWidget* owner, int listId, QRect box, QRect list, int wheelLines = 0);
  ~DialogDropDown() override;

  std::function<QStringList()> fill;                         // rows, asked at every opening
  std::function<void(int row, const QString& text)> chosen;  // after the list closed
  std::function<void(bool opening)> toggling;                // before opening / after closing

  QRect box() const { return box_; }
  bool isOpen() const { return list_ != nullptr; }
  QListWidget* list() const { return list_; }

  // A left press at p (owner coordinates). A press in the box toggles the
  // list and returns true; a press missing both box and list closes it.
  bool press(QPoint p);
  void open();
  void close();
  // One wheel notification of `delta` (positive = away from the user) for
  // the open list: wheelLines rows up or down, none for a distance of 0
  // (a sideways turn). False when the list is closed or keeps its own
  // scrolling.
  bool scroll(int delta);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void choose(QListWidget* from, int row);

  QWidget* owner_;
  int listId_;
  QRect box_;
  QRect listRect_;
  int wheelLines_;
  QPointer<QListWidget> list_;
  bool tracking_ = false;
};

}  // namespace hm
