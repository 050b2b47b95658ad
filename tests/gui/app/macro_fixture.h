// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the macro editor tests: the real main window over the simulated
// mouse (fixtures.h) with a record.ini of the test's choosing, shown on the
// Advanced page, its dialogs run by a script, and the editor's real child
// controls driven with mouse and key events as the window system sends them.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <functional>
#include <string>
#include <vector>

#include "basic_fixture.h"
#include "gui/app/advanced_layout.h"
#include "gui/app/advanced_page.h"
#include "gui/app/macro_editor_view.h"
#include "platform/key_names.h"
#include "scripted_runner.h"

namespace hm::test {

// Evdev key codes of the keys the tests press.
enum Evdev : std::uint32_t {
  kEvEsc = 1,
  kEvEnter = 28,
  kEvCtrl = 29,
  kEvA = 30,
  kEvShift = 42,
  kEvB = 48,
  kEvPause = 119
};

struct KeyInput {
  QEvent::Type type;
  Qt::Key key;
  std::uint32_t evdev;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  bool autoRepeat = false;
};
inline KeyInput down(Qt::Key k, std::uint32_t ev, bool autoRepeat = false) {
  return {QEvent::KeyPress, k, ev, Qt::NoModifier, autoRepeat};
}
inline KeyInput up(Qt::Key k, std::uint32_t ev, bool autoRepeat = false) {
  return {QEvent::KeyRelease, k, ev, Qt::NoModifier, autoRepeat};
}

inline std::vector<std::string> rows(const QListWidget* list) {
  std::vector<std::string> out;
  if (list != nullptr)
    for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
  return out;
}

// record.ini text with one section per name, each holding `items`.
inline std::string recordIni(const std::vector<std::string>& names, const std::vector<std::string>& items) {
  std::string ini;
  for (const std::string& n : names) {
    ini += "[" + n + "]\nItemCount=" + std::to_string(items.size()) + "\n";
    for (std::size_t i = 0; i < items.size(); ++i) ini += "Item" + std::to_string(i) + "=" + items[i] + "\n";
  }
  return ini;
}

class MacroShell {
 public:
  // `ini` is record.ini's text; nullptr: no record.ini.
  explicit MacroShell(const char* ini = nullptr, ShellOptions options = {}) : shell(std::move(options)) {
    if (ini != nullptr) {
      QFile f(shell.path("record.ini"));
      if (f.open(QIODevice::WriteOnly)) f.write(ini);
    }
    started = shell.start();
    shell.dlg->context().dialogRunner = &runner;
    shell.showWindow();
    shell.dlg->showAdvancedPage();
    page = dynamic_cast<AdvancedPage*>(shell.dlg->page(kAdvancedPage));
  }

  MacroEditorView& view() { return page->macroEditor(); }
  void click(const advanced::Box& b) { shell.click(centre(b)); }
  // Types into a field as the user does: the whole text selected, then
  // typed over (an empty text clears the field).
  void type(QLineEdit* field, const QString& text) {
    if (text.isEmpty()) {
      field->clear();
      return;
    }
    field->selectAll();
    QTest::keyClicks(field, text);
  }
  // A key event to the widget that has the focus in the window, with the
  // physical key's scan code.
  void key(const KeyInput& k) {
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : shell.dlg.get();
    QKeyEvent e(k.type, k.key, k.modifiers, k.evdev + kNativeScanCodeOffset, 0, 0, QString(), k.autoRepeat);
    QApplication::sendEvent(target, &e);
  }
  // The pointer moves over a line of a list (the window's pre-filter sees it).
  void hoverRow(QListWidget* list, int row) {
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(list->viewport()->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &move);
  }
  static void clickRow(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(row)).center());
  }
  // Press, release, the second press as a double click, release: what the
  // window system sends for a double click.
  static void doubleClickRow(QListWidget* list, int row) {
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }
  // Opens the mouse-event list and picks a choice, after hovering `line` of
  // the sequence.
  void insertMouseEvent(int line, int choice) {
    hoverRow(view().sequenceList(), line);
    click(advanced::kMouseEventBox);
    ASSERT_TRUE(view().mouseEventListOpen());
    clickRow(view().mouseEventList(), choice);
  }
  std::vector<std::string> sequence() { return rows(view().sequenceList()); }
  std::vector<std::string> macros() { return rows(view().macroList()); }
  const std::vector<Message>& messages() const { return shell.sink.messages; }

  ScriptedRunner runner;  // outlives the window that points at it
  Shell shell;
  AdvancedPage* page = nullptr;
  bool started = false;
};

}  // namespace hm::test
