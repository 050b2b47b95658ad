// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/macro_editor_view.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>

#include "core/settings/data_paths.h"
#include "core/settings/folder_transaction.h"
#include "core/settings/ui_text.h"
#include "gui/app/advanced_layout.h"
#include "gui/app/basic_qt.h"
#include "gui/app/frame_colours.h"
#include "gui/dialogs/application_name.h"
#include "gui/dialogs/delay_time_dialog.h"
#include "gui/dialogs/dialog_runner.h"
#include "gui/skin/mem_dc.h"

namespace hm {
namespace {

// Who holds the data folder, for a program that has to wait for it.
constexpr char kMacroEditorProgram[] = "hidmouse";

using advanced::Box;
using basic::qrect;
using basic::qs;

// How long a release waits for the press of its repeat.
constexpr int kRepeatPairMs = 40;

bool hit(const Box& b, QPoint p) { return b.contains(p.x(), p.y()); }

QStringList texts(const std::vector<std::string>& lines) {
  QStringList out;
  out.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& l : lines) out << qs(l);
  return out;
}

// The list shows `lines`: unchanged lists stay as they are (with their
// scroll position), a list that only grew gains the new lines.
void showLines(QListWidget& list, const QStringList& lines) {
  const int have = list.count();
  bool prefix = have <= lines.size();
  for (int i = 0; prefix && i < have; ++i) prefix = list.item(i)->text() == lines[i];
  if (!prefix) list.clear();
  for (qsizetype i = prefix ? have : 0; i < lines.size(); ++i) list.addItem(lines[i]);
}

void setText(QLineEdit& edit, const std::string& text) {
  const QString t = qs(text);
  if (edit.text() != t) edit.setText(t);
}

// The row under a point of a list's viewport, or -1.
int rowAt(const QListWidget& list, QPoint p) { return list.indexAt(p).row(); }

}  // namespace

MacroEditorView::MacroEditorView(AppContext& ctx)
    : ctx_(ctx),
      editor_(ctx.paths.recordIni, ctx.working, ctx.ui, ctx.messages),
      keys_(ctx.mainWindow, [this](const KeyStroke& k) { onKey(k); }) {
  editor_.setRecorderHost(&keys_);
  // The two halves of a repeat leave the display server together; this
  // leaves room for the second to be read after the first.
  settleKeys_.setSingleShot(true);
  settleKeys_.setInterval(kRepeatPairMs);
  connect(&settleKeys_, &QTimer::timeout, this, [this] {
    editor_.settleKeys();
    show();
  });
  auto button = [&](const Box& b, TextId text) {
    return SkinButton::textButton(QPoint(b.left, b.top), qs(ctx.ui.get(text)), kHoverMacroButtons);
  };
  new_ = button(advanced::kNewButton, TextId::New);
  delete_ = button(advanced::kDeleteButton, TextId::Delete);
  confirm_ = button(advanced::kConfirmButton, TextId::Confirm);
  runMenu_ = [](QMenu& menu, QPoint at) { return menu.exec(at); };
}

MacroEditorView::~MacroEditorView() { destroy(); }

template <typename Draw>
void MacroEditorView::redraw(Draw&& draw) {
  std::unique_ptr<CMemDC> dc = ctx_.frame.beginDraw();
  if (dc) draw(*dc);
}

// ---- painting ------------------------------------------------------------------------

void MacroEditorView::paint(CMemDC& dc) {
  const QFont& font = ctx_.style.fonts.normal;
  const QColor color = ctx_.style.textColor;
  auto text = [&](const Box& b, TextId id, int format) {
    drawSkinText(dc.painter(), qrect(b), qs(ctx_.ui.get(id)), format, font, color);
  };
  auto wrapped = [&](const Box& b, TextId id) {
    QPainter& p = dc.painter();
    if (!p.isActive()) return;
    p.save();
    p.setClipRect(qrect(b));
    p.setFont(font);
    p.setPen(color);
    p.drawText(qrect(b), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, qs(ctx_.ui.get(id)));
    p.restore();
  };

  for (SkinButton* b : {&new_, &delete_, &confirm_}) {
    b->highlighted = false;
    b->draw(dc, ctx_.style);
  }
  text(advanced::kMacroTitle, TextId::MacroSetting, kTextCenter);
  text(advanced::kSelectMacroHead, TextId::SelectMacro, kTextCenter);
  text(advanced::kSequenceHead, TextId::KeyPressSequence, kTextCenter);
  text(advanced::kRecordOptionHead, TextId::RecordOption, kTextCenter);
  wrapped(advanced::kStartRecordingText, TextId::StartRecording);
  wrapped(advanced::kStopRecordingText, TextId::StopRecording);
  text(advanced::kMacroNameLabel, TextId::MacroName, kTextLeftVCenter);
  text(advanced::kLoopTimesLabel, TextId::LoopTimes, kTextLeftVCenter);
  text(advanced::kMouseEventLabel, TextId::InsertMouseEvent, kTextLeftVCenter);
}

// ---- building ------------------------------------------------------------------------

QListWidget* MacroEditorView::makeList(int id, const QRect& rect) {
  auto* l = new QListWidget(ctx_.mainWindow);
  l->setObjectName(QStringLiteral("id%1").arg(id));
  l->setGeometry(rect);
  l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  l->setSelectionMode(QAbstractItemView::SingleSelection);
  // Focus only from a click: a list that gains focus otherwise makes a row
  // current by itself.
  l->setFocusPolicy(Qt::ClickFocus);
  l->viewport()->setMouseTracking(true);
  applyChildColours(*l, ChildKind::List, id, ctx_.style, ctx_.working);
  l->setFont(ctx_.style.fonts.normal);
  return l;
}

QLineEdit* MacroEditorView::makeEdit(int id, const QRect& rect) {
  auto* e = new QLineEdit(ctx_.mainWindow);
  e->setObjectName(QStringLiteral("id%1").arg(id));
  e->setGeometry(rect);
  e->setFrame(false);
  e->setTextMargins(0, 0, 0, 0);
  e->setAlignment(Qt::AlignCenter);
  e->setFont(ctx_.style.fonts.normal);
  applyChildColours(*e, ChildKind::Edit, id, ctx_.style, ctx_.working);
  return e;
}

void MacroEditorView::build() {
  if (built() || ctx_.mainWindow == nullptr) return;
  macroList_ = makeList(advanced::kMacroListId, qrect(advanced::kMacroList));
  sequenceList_ = makeList(advanced::kSequenceListId, qrect(advanced::kSequenceList));
  macroList_->setFrameShape(QFrame::NoFrame);
  sequenceList_->setFrameShape(QFrame::NoFrame);
  nameField_ = makeEdit(advanced::kMacroNameId, qrect(advanced::kMacroNameField));
  loopField_ = makeEdit(advanced::kLoopTimesId, qrect(advanced::kLoopTimesField));
  loopField_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), loopField_));
  face_ = new QLabel(ctx_.mainWindow);
  face_->setObjectName(QStringLiteral("id%1").arg(advanced::kMouseEventFaceId));
  face_->setGeometry(qrect(advanced::kMouseEventFace));
  face_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // Clicks on the face belong to the window's dispatcher (the mouse-event box).
  face_->setAttribute(Qt::WA_TransparentForMouseEvents);
  applyChildColours(*face_, ChildKind::Static, advanced::kMouseEventFaceId, ctx_.style, ctx_.working);

  editor_.load();
  show();

  connect(macroList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (showing_) return;
    editor_.selectMacro(row);
    show();
  });
  connect(sequenceList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!showing_) editor_.selectLine(row);
  });
  connect(sequenceList_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { editDelay(sequenceList_->row(item)); });
  connect(nameField_, &QLineEdit::textChanged, this, [this](const QString& t) {
    if (!showing_) editor_.setNameField(t.toStdString());
  });
  connect(loopField_, &QLineEdit::textChanged, this, [this](const QString& t) {
    if (showing_) return;
    editor_.setLoopField(t.toStdString());
    show();
  });
  for (QWidget* w : std::initializer_list<QWidget*>{macroList_, sequenceList_, nameField_, loopField_, face_})
    w->show();
}

void MacroEditorView::destroy() {
  settleKeys_.stop();
  editor_.reset();
  closeMouseEventList();
  for (QWidget* w :
       std::initializer_list<QWidget*>{macroList_, sequenceList_, nameField_, loopField_, face_}) {
    if (w == nullptr) continue;
    w->hide();
    w->disconnect(this);
    // Later: the page may be left from inside one of these controls' signals.
    w->deleteLater();
  }
  macroList_ = sequenceList_ = nullptr;
  nameField_ = loopField_ = nullptr;
  face_ = nullptr;
}

void MacroEditorView::show() {
  if (!built()) return;
  showing_ = true;
  showLines(*macroList_, texts(editor_.macros()));
  macroList_->setCurrentRow(editor_.selectedMacro());
  showLines(*sequenceList_, texts(editor_.sequence()));
  sequenceList_->setCurrentRow(editor_.selectedLine());
  setText(*nameField_, editor_.nameField());
  setText(*loopField_, editor_.loopField());
  face_->setText(qs(editor_.mouseEventFace()));
  showing_ = false;
}

// ---- clicks --------------------------------------------------------------------------

void MacroEditorView::closeListsMissing(QPoint p) {
  if (eventList_ && !hit(advanced::kMouseEventBox, p) && !hit(advanced::kMouseEventList, p))
    closeMouseEventList();
}

bool MacroEditorView::handleClick(QPoint p) {
  if (!built()) return false;
  if (hit(advanced::kStartRecording, p)) {
    editor_.startRecording();
  } else if (hit(advanced::kStopRecording, p)) {
    editor_.stopRecording();
  } else if (hit(advanced::kMouseEventBox, p)) {
    if (eventList_)
      closeMouseEventList();
    else
      openMouseEventList();
    return true;
  } else if (hit(advanced::kNewButton, p)) {
    editor_.createMacro();
  } else if (hit(advanced::kDeleteButton, p) || hit(advanced::kConfirmButton, p)) {
    // record.ini changes while no other program writes the folder; each
    // write rereads it, so another program's macros are kept.
    FolderHold hold(ctx_.paths, FolderAccess::Write, kMacroEditorProgram);
    if (!hold.status()) {
      ctx_.messages.showMessage(hold.failureText(), "");
    } else if (hit(advanced::kDeleteButton, p) ? editor_.removeMacro() : editor_.confirm()) {
      if (const Status committed = hold.commit(); !committed)
        ctx_.messages.showMessage(committed.error().text(), "");
    }
  } else {
    return false;
  }
  show();
  return true;
}

void MacroEditorView::openMouseEventList() {
  QStringList choices;
  for (const char* c : kMouseEventChoices) choices << QString::fromLatin1(c);
  QListWidget* l = makeList(advanced::kMouseEventListId, qrect(advanced::kMouseEventList));
  l->setFrameShape(QFrame::Box);
  // A click chooses without taking the focus: closing a focused list would
  // hand it on to the next control, the name field, with its text selected.
  l->setFocusPolicy(Qt::NoFocus);
  l->addItems(choices);
  l->setCurrentRow(-1);
  connect(l, &QListWidget::itemClicked, this, [this, l](QListWidgetItem* item) {
    const int row = l->row(item);
    // The list is gone: a second press of a double click must not land on
    // what lay under the row (the Confirm button, say).
    doubleClick_.arm(ctx_.mainWindow);
    closeMouseEventList();
    editor_.chooseMouseEvent(row);
    show();
  });
  eventList_ = l;
  l->show();
  l->raise();
}

void MacroEditorView::closeMouseEventList() {
  if (!eventList_) return;
  QListWidget* l = eventList_;
  eventList_ = nullptr;
  l->hide();
  l->disconnect(this);
  l->deleteLater();  // may be closing from its own signal
}

void MacroEditorView::editDelay(int row) {
  ModalDialogRunner modal;
  DialogRunner& runner = ctx_.dialogRunner != nullptr ? *ctx_.dialogRunner : modal;
  editor_.editDelay(row, [&]() -> std::optional<DelayAnswer> {
    CDelayTimeDialog dialog(DialogEnv{ctx_.skins, ctx_.messages, ctx_.language, ctx_.style.textColor},
                            ctx_.mainWindow);
    if (runner.run(dialog) != QDialog::Accepted) return std::nullopt;
    return DelayAnswer{dialog.delay(), dialog.delayText()};
  });
  show();
}

void MacroEditorView::openLineMenu(QPoint globalPos) {
  QMenu menu(ctx_.mainWindow);
  menu.setWindowTitle(QString::fromLatin1(kApplicationName));  // not the window class
  QAction* remove = menu.addAction(qs(ctx_.ui.get(TextId::Delete)));
  remove->setData(kDeleteLineCommand);
  QAction* chosen = runMenu_ ? runMenu_(menu, globalPos) : nullptr;
  if (chosen != nullptr && chosen->data().toInt() == kDeleteLineCommand && editor_.deleteSelectedLine())
    show();
}

// ---- hover and pre-filter ---------------------------------------------------------------

std::vector<HoverItem> MacroEditorView::hoverItems() const {
  return {{kNewHoverId, new_.rect, kHoverMacroButtons},
          {kDeleteHoverId, delete_.rect, kHoverMacroButtons},
          {kConfirmHoverId, confirm_.rect, kHoverMacroButtons}};
}

void MacroEditorView::drawHover(CMemDC& dc, int id, bool highlighted) {
  SkinButton* b = id == kNewHoverId       ? &new_
                  : id == kDeleteHoverId  ? &delete_
                  : id == kConfirmHoverId ? &confirm_
                                          : nullptr;
  if (b == nullptr) return;
  b->highlighted = highlighted;
  b->drawAs(dc, ctx_.style, highlighted);
}

bool MacroEditorView::preFilter(QObject* watched, QEvent* event) {
  if (!built() || (event->type() != QEvent::MouseMove && event->type() != QEvent::MouseButtonPress))
    return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint at = mouse->position().toPoint();
  const bool overSequence = watched == sequenceList_->viewport();
  if (event->type() == QEvent::MouseButtonPress) {
    if (!overSequence || mouse->button() != Qt::RightButton) return false;
    openLineMenu(mouse->globalPosition().toPoint());
    return true;
  }
  // The line under the pointer becomes the selected one: the line the menu
  // deletes and after which mouse events go in.
  if (overSequence) {
    if (const int row = rowAt(*sequenceList_, at); row >= 0 && row != editor_.selectedLine()) {
      editor_.selectLine(row);
      show();
    }
  } else if (eventList_ && watched == eventList_->viewport()) {
    if (const int row = rowAt(*eventList_, at); row >= 0) {
      showing_ = true;
      eventList_->setCurrentRow(row);
      showing_ = false;
    }
  }
  return false;
}

// ---- recording -----------------------------------------------------------------------

void MacroEditorView::onKey(const KeyStroke& stroke) {
  editor_.recordKey(stroke);
  if (editor_.holdsKeyRelease()) settleKeys_.start();
  show();
}

}  // namespace hm
