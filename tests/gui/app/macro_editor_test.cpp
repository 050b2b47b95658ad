// SPDX-License-Identifier: GPL-3.0-or-later
// The macro editor's controls in the real main window: built from record.ini
// with the skin's colours, New / Delete / Confirm clicked, mouse events
// inserted through the drop list, delays edited through the delay dialog,
// lines deleted through the context menu, hover and the drop list's closing.
#include <gtest/gtest.h>

#include <QMenu>
#include <QWindow>

#include "core/macros/macro_record.h"
#include "core/settings/ui_text.h"
#include "gui/app/frame_colours.h"
#include "gui/app/frame_layout.h"
#include "gui/dialogs/delay_time_dialog.h"
#include "gui/dialogs/dialog_layout.h"
#include "macro_fixture.h"

namespace hm::test {
namespace {

using Lines = std::vector<std::string>;

const std::vector<std::string> kKeyItems{"A   Dn", "50 ms", "A   Up"};
const std::string kThree = recordIni({"One", "Two", "Three"}, kKeyItems);

const std::string& en(TextId id) {
  static const UiTexts texts(Language::English);
  return texts.get(id);
}

TEST(MacroEditorControls, BuiltFromRecordIniWithTheSkinsColours) {
  MacroShell m(kThree.c_str());
  ASSERT_TRUE(m.started);
  MacroEditorView& v = m.view();
  ASSERT_TRUE(v.built());
  EXPECT_EQ(m.macros(), (Lines{"One", "Two", "Three"}));
  EXPECT_EQ(v.macroList()->currentRow(), 0);
  EXPECT_EQ(m.sequence(), kKeyItems);
  EXPECT_EQ(v.nameField()->text(), "One");
  EXPECT_EQ(v.loopField()->text(), "0") << "the first image's loop count (factory: empty)";

  const QColor text = m.shell.dlg->style().textColor;
  struct Expect {
    QWidget* widget;
    QRect rect;
    QColor fore, back;
  };
  for (const Expect& e :
       {Expect{v.macroList(), toRect(advanced::kMacroList), text, colours::kMacroListBackground},
        Expect{v.sequenceList(), toRect(advanced::kSequenceList), text, colours::kMacroListBackground},
        Expect{v.nameField(), toRect(advanced::kMacroNameField), text, colours::kBlack},
        Expect{v.loopField(), toRect(advanced::kLoopTimesField), text, colours::kBlack},
        Expect{v.mouseEventFace(), toRect(advanced::kMouseEventFace), text, colours::kBlack}}) {
    EXPECT_EQ(e.widget->geometry(), e.rect) << e.widget->objectName().toStdString();
    EXPECT_TRUE(e.widget->isVisible());
    EXPECT_EQ(e.widget->palette().color(QPalette::Text), e.fore);
    EXPECT_EQ(e.widget->palette().color(QPalette::Base), e.back);
  }
  m.click(advanced::kMouseEventBox);
  ASSERT_TRUE(v.mouseEventListOpen());
  EXPECT_EQ(v.mouseEventList()->geometry(), toRect(advanced::kMouseEventList));
  EXPECT_EQ(v.mouseEventList()->palette().color(QPalette::Text), colours::kWhite);
  EXPECT_EQ(rows(v.mouseEventList()).front(), "L-Button Click");
  EXPECT_EQ(rows(v.mouseEventList()).back(), "M-Button   Up");

  // Leaving the page destroys them; coming back reads record.ini again.
  m.shell.dlg->showBasicPage();
  EXPECT_FALSE(v.built());
  EXPECT_FALSE(v.mouseEventListOpen());
  ASSERT_TRUE(writeMacro(m.shell.pathStd("record.ini"), {"Four", {}}));
  m.shell.dlg->showAdvancedPage();
  EXPECT_EQ(m.macros(), (Lines{"One", "Two", "Three", "Four"}));
}

TEST(MacroEditorControls, SelectingAMacroShowsItAndDropsUnconfirmedEdits) {
  MacroShell m(recordIni({"One", "Two"}, kKeyItems).c_str());
  m.insertMouseEvent(0, 0);
  ASSERT_EQ(m.sequence().size(), 7u);
  MacroShell::clickRow(m.view().macroList(), 1);
  EXPECT_EQ(m.view().nameField()->text(), "Two");
  EXPECT_EQ(m.sequence(), kKeyItems);
  MacroShell::clickRow(m.view().macroList(), 0);
  EXPECT_EQ(m.sequence(), kKeyItems) << "the inserted lines were never confirmed";
}

TEST(MacroEditorControls, NewChecksInOrder) {
  std::vector<std::string> twelve;
  for (int k = 1; k <= 12; ++k) twelve.push_back("M" + std::to_string(k));
  MacroShell m(recordIni(twelve, {}).c_str());
  QLineEdit* name = m.view().nameField();
  m.type(name, QString());
  m.click(advanced::kNewButton);
  m.type(name, QStringLiteral("Fresh"));
  m.click(advanced::kNewButton);
  EXPECT_EQ(m.messages(),
            (std::vector<Message>{{en(TextId::MacroNameBlank), ""}, {"Macro numbers up to 12.", "Warning"}}));
  EXPECT_EQ(m.macros().size(), 12u);

  m.click(advanced::kDeleteButton);  // M1 is selected
  EXPECT_EQ(m.macros().front(), "M2");
  EXPECT_EQ(name->text(), "") << "Delete clears the name field";
  m.shell.sink.messages.clear();
  for (const char* n : {"m5", "a=b", "Fresh"}) {
    m.type(name, QString::fromLatin1(n));
    m.click(advanced::kNewButton);
  }
  EXPECT_EQ(m.messages(),
            (std::vector<Message>{{en(TextId::MacroNameExists), ""}, {kMacroNameUnstorableText, ""}}));
  EXPECT_EQ(m.macros().back(), "Fresh");
  EXPECT_EQ(m.view().macroList()->currentRow(), 11);
  EXPECT_TRUE(m.sequence().empty());
  EXPECT_EQ(listMacros(m.shell.pathStd("record.ini")).size(), 11u) << "New writes nothing";
}

TEST(MacroEditorControls, MouseEventsGoInAfterTheHoveredLine) {
  MacroShell m(kThree.c_str());
  MacroEditorView& v = m.view();
  m.insertMouseEvent(0, 0);  // "L-Button Click" after the key line "A   Dn"
  EXPECT_EQ(m.sequence(),
            (Lines{"A   Dn", "50 ms", "L-Button   Dn", "50 ms", "L-Button   Up", "50 ms", "A   Up"}));
  EXPECT_EQ(v.sequenceList()->currentRow(), 2) << "the press line";
  EXPECT_FALSE(v.mouseEventListOpen());
  EXPECT_EQ(v.mouseEventFace()->text(), "L-Button Click");
  EXPECT_FALSE(v.nameField()->hasFocus() || v.nameField()->hasSelectedText())
      << "the closing list hands no focus to the name field, where the next key would replace the name";

  m.insertMouseEvent(5, 6);  // "R-Button   Up" after the delay line before "A   Up"
  EXPECT_EQ(m.sequence(), (Lines{"A   Dn", "50 ms", "L-Button   Dn", "50 ms", "L-Button   Up", "50 ms",
                                 "R-Button   Up", "50 ms", "A   Up"}));
  EXPECT_EQ(v.sequenceList()->currentRow(), 6);
  EXPECT_EQ(v.mouseEventFace()->text(), "R-Button   Up");

  // The face toggles the list; any other click on the page closes it.
  m.click(advanced::kMouseEventBox);
  m.click(advanced::kMouseEventBox);
  EXPECT_FALSE(v.mouseEventListOpen());
  m.click(advanced::kMouseEventBox);
  m.hoverRow(v.mouseEventList(), 4);
  EXPECT_EQ(v.mouseEventList()->currentRow(), 4) << "hover marks the line";
  EXPECT_EQ(m.sequence().size(), 9u) << "... without choosing it";
  m.shell.click({600, 580});
  EXPECT_FALSE(v.mouseEventListOpen());
}

// The drop list lies over "Confirm": a double click on a row there chooses
// the row, and the rest of it must not confirm the new, unsaved macro.
TEST(MacroEditorControls, ADoubleClickOnAMouseEventDoesWhatAClickDoes) {
  for (bool twice : {false, true}) {
    SCOPED_TRACE(twice ? "double click" : "click");
    MacroShell m(kThree.c_str());
    m.type(m.view().nameField(), QStringLiteral("Fresh"));
    m.click(advanced::kNewButton);
    m.click(advanced::kMouseEventBox);
    QListWidget* list = m.view().mouseEventList();
    ASSERT_NE(list, nullptr);
    constexpr int kRow = 7;
    const QRect row = list->visualItemRect(list->item(kRow))
                          .translated(list->viewport()->mapTo(m.shell.dlg.get(), QPoint(0, 0)));
    const QRect spot = row & toRect(advanced::kConfirmButton);
    ASSERT_FALSE(spot.isEmpty()) << "the row does not lie over Confirm";
    QWindow* window = m.shell.dlg->windowHandle();
    if (twice)
      QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, spot.center());
    else
      QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, spot.center());
    EXPECT_FALSE(m.view().mouseEventListOpen());
    EXPECT_EQ(m.view().mouseEventFace()->text(), QString::fromLatin1(kMouseEventChoices[kRow]));
    EXPECT_EQ(listMacros(m.shell.pathStd("record.ini")).size(), 3u) << "not confirmed";
  }
}

TEST(MacroEditorControls, DoubleClickOnADelayRunsTheDelayDialog) {
  MacroShell m(kThree.c_str());
  QListWidget* list = m.view().sequenceList();
  struct Case {
    int line;
    QString typed;
    bool ok;
    std::string shown;
    int runs;
  };
  int runs = 0;
  for (const Case& c : {Case{1, "2500", true, "2500 ms", 1}, Case{1, "5", true, "50 ms", 1},
                        Case{1, "20000", true, "50 ms", 1}, Case{1, "", true, "50 ms", 1},
                        Case{1, "700", false, "50 ms", 1}, Case{0, "700", true, "A   Dn", 0}}) {
    m.runner.script = [&](QDialog& d) {
      auto* delay = dynamic_cast<CDelayTimeDialog*>(&d);
      ASSERT_NE(delay, nullptr);
      QTest::keyClicks(delay->delayBox(), c.typed);
      QTest::mouseClick(&d, Qt::LeftButton, Qt::NoModifier,
                        (c.ok ? dlg::kOkRect : dlg::kCancelRect).center());
    };
    MacroShell::doubleClickRow(list, c.line);
    runs += c.runs;
    EXPECT_EQ(m.runner.runs, runs) << c.typed.toStdString();
    EXPECT_EQ(m.sequence()[static_cast<std::size_t>(c.line)], c.shown) << c.typed.toStdString();
  }
}

TEST(MacroEditorControls, ContextMenuDeletesTheHoveredLine) {
  MacroShell m(kThree.c_str());
  QListWidget* list = m.view().sequenceList();
  std::vector<QString> offered;
  bool choose = true;
  m.view().setMenuRunner([&](QMenu& menu, QPoint) -> QAction* {
    for (QAction* a : menu.actions()) offered.push_back(a->text());
    return choose ? menu.actions().front() : nullptr;
  });
  m.hoverRow(list, 2);
  QTest::mousePress(list->viewport(), Qt::RightButton, Qt::NoModifier,
                    list->visualItemRect(list->item(2)).center());
  EXPECT_EQ(offered, std::vector<QString>{QString::fromStdString(en(TextId::Delete))});
  EXPECT_EQ(m.sequence(), (Lines{"A   Dn", "50 ms"}));
  choose = false;
  m.hoverRow(list, 0);
  QTest::mousePress(list->viewport(), Qt::RightButton, Qt::NoModifier,
                    list->visualItemRect(list->item(0)).center());
  EXPECT_EQ(m.sequence(), (Lines{"A   Dn", "50 ms"})) << "menu closed without a choice";
}

// Window lists name these windows; without a title of their own they would
// show the window class.
TEST(MacroEditorControls, DelayDialogMenuAndSkinsDialogCarryTheApplicationsTitle) {
  MacroShell m(kThree.c_str());
  std::vector<QString> titles;
  m.runner.script = [&](QDialog& d) { titles.push_back(d.windowTitle()); };
  m.view().setMenuRunner([&](QMenu& menu, QPoint) -> QAction* {
    titles.push_back(menu.windowTitle());
    return nullptr;
  });
  MacroShell::doubleClickRow(m.view().sequenceList(), 1);
  QListWidget* list = m.view().sequenceList();
  QTest::mousePress(list->viewport(), Qt::RightButton, Qt::NoModifier,
                    list->visualItemRect(list->item(0)).center());
  m.shell.click(frame::kSkins.center());
  const QString app = QStringLiteral("hidmouse");
  EXPECT_EQ(titles, (std::vector<QString>{app, app, app}));
}

TEST(MacroEditorControls, ConfirmAfterRenamingWritesUnderTheListsNameInPlace) {
  MacroShell m(kThree.c_str());
  const std::string ini = m.shell.pathStd("record.ini");
  MacroShell::clickRow(m.view().macroList(), 0);
  m.type(m.view().loopField(), QStringLiteral("70000"));
  EXPECT_EQ(m.view().loopField()->text(), "1");
  m.type(m.view().loopField(), QStringLiteral("4"));
  m.type(m.view().nameField(), QStringLiteral("Renamed"));
  m.insertMouseEvent(2, 3);
  m.click(advanced::kConfirmButton);
  EXPECT_TRUE(m.messages().empty());
  EXPECT_EQ(listMacros(ini), (Lines{"One", "Two", "Three"}));
  EXPECT_EQ(readMacro(ini, "One").items.size(), 5u);
  const MouseConfig& c = m.shell.dlg->working();
  const std::uint8_t image[] = {0x00, 0x04, 0x05, 0x04, 0x85, 0x04, 0x00, 0xF0, 0x00};
  EXPECT_EQ(std::memcmp(c.macroImage[0], image, sizeof image), 0);
  EXPECT_EQ(c.macroImage[1][3], 0x04) << "the others rebuilt in their places";
  EXPECT_EQ(c.macroImage[2][3], 0x04);

  // An emptied list writes ItemCount 0 and an all-zero image.
  while (!m.view().editor().sequence().empty()) {
    m.view().editor().selectLine(0);
    m.view().editor().deleteSelectedLine();
  }
  m.click(advanced::kConfirmButton);
  EXPECT_EQ(profile::getString(ini, "One", "ItemCount"), "0");
  const std::uint8_t zero[kMacroImageSize] = {};
  EXPECT_EQ(std::memcmp(c.macroImage[0], zero, kMacroImageSize), 0);
}

TEST(MacroEditorControls, MacroButtonsHoverAsOneGroup) {
  MacroShell m(kThree.c_str());
  HoverTracker& h = m.shell.dlg->hover();
  const QPoint newCorner(advanced::kNewButton.left + 2, advanced::kNewButton.top + 2);
  const QPoint confirmCorner(advanced::kConfirmButton.left + 2, advanced::kConfirmButton.top + 2);
  const QRgb normal = m.shell.pixel(confirmCorner);
  m.shell.hover(centre(advanced::kNewButton));
  EXPECT_TRUE(h.pageHighlighted(MacroEditorView::kNewHoverId));
  const QRgb newOver = m.shell.pixel(newCorner);
  m.shell.hover(centre(advanced::kConfirmButton));
  EXPECT_FALSE(h.pageHighlighted(MacroEditorView::kNewHoverId));
  EXPECT_TRUE(h.pageHighlighted(MacroEditorView::kConfirmHoverId));
  EXPECT_NE(m.shell.pixel(confirmCorner), normal) << "drawn with the over image";
  EXPECT_NE(m.shell.pixel(newCorner), newOver) << "the other member drawn normal again";
}

}  // namespace
}  // namespace hm::test
