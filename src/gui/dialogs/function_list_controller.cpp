// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/function_list_controller.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QListWidget>
#include <QWidget>

#include "core/buttons/button_codes.h"
#include "core/settings/button_texts.h"
#include "core/settings/message_sink.h"
#include "core/settings/mouse_config.h"
#include "core/settings/ui_text.h"
#include "gui/dialogs/choice_dialogs.h"
#include "gui/dialogs/combo_dialog.h"
#include "gui/dialogs/dialog_runner.h"
#include "gui/dialogs/fire_key_dialog.h"
#include "gui/dialogs/macro_dialog.h"
#include "gui/dialogs/single_dialog.h"

namespace hm {
namespace {

constexpr char kWarningCaption[] = "Warning";

}  // namespace

FunctionListController::FunctionListController(FunctionChoiceContext& ctx) : ctx_(ctx) {}

FunctionListController::~FunctionListController() { hideDpiSubList(); }

bool FunctionListController::onFunctionListChoice(int button, int index) {
  if (choiceNeedsDialog(index)) {
    DialogResult result;
    if (!runDialog(index, result)) return true;  // cancelled: nothing changes
    applyDialogChoice(ctx_.config, ctx_.texts, button, result, ctx_.ui);
    return true;
  }
  const ChoiceEffect effect = applyImmediateChoice(ctx_.config, ctx_.texts, button, index, ctx_.ui);
  if (effect == ChoiceEffect::KeepListOpen) return false;
  hideDpiSubList();
  return true;
}

void FunctionListController::showDpiSubList(QWidget* mainWindow, int button, int itemIndex,
                                            QPoint subListTopLeft) {
  if (itemIndex != kDpiSwitch) {
    hideDpiSubList();
    return;
  }
  if (subList_ || !mainWindow) return;
  auto* list = new QListWidget(mainWindow);
  list->setObjectName(QStringLiteral("dpiSubList%1").arg(kDpiSubListId));
  list->setGeometry(subListTopLeft.x(), subListTopLeft.y(), kDpiSubListSize, kDpiSubListSize);
  // An ordinary list of the main window: white text on black.
  list->setStyleSheet(QStringLiteral("QListWidget { color: #ffffff; background-color: #000000; }"));
  for (int row = 0; row < kDpiSubListRows; ++row) list->addItem(QString::fromUtf8(dpiActionText(row)));
  subList_ = list;
  subListButton_ = button;
  subListChoice_ = QObject::connect(list, &QListWidget::currentRowChanged, list, [this](int row) {
    const int b = subListButton_;
    if (onDpiSubListChoice(b, row) && afterDpiChoice_) afterDpiChoice_(b);
  });
  list->show();
}

void FunctionListController::trackFunctionList(QWidget* mainWindow, int button, const QAbstractItemView& list,
                                               QPoint posInViewport) {
  const QModelIndex index = list.indexAt(posInViewport);
  if (!index.isValid()) {
    hideDpiSubList();
    return;
  }
  // The item's edges in the list's client area (the viewport, inside the
  // list's border), added to the list's own top-left corner: the sub-list
  // overlaps the list's right border.
  const QRect item = list.visualRect(index);
  const QPoint edges(item.left() + item.width(), item.top());
  const QPoint listTopLeft = mainWindow ? list.mapTo(mainWindow, QPoint(0, 0)) : list.geometry().topLeft();
  const QPoint topLeft = listTopLeft + edges;
  showDpiSubList(mainWindow, button, index.row(), topLeft);
}

void FunctionListController::hideDpiSubList() {
  if (subList_) {
    QListWidget* list = subList_;
    subList_ = nullptr;
    QObject::disconnect(subListChoice_);
    list->hide();
    list->deleteLater();
  }
  subListButton_ = -1;
}

bool FunctionListController::dpiSubListShown() const { return subList_ != nullptr; }

QListWidget* FunctionListController::dpiSubList() const { return subList_; }

int FunctionListController::dpiSubListButton() const { return subListButton_; }

bool FunctionListController::onDpiSubListChoice(int button, int choice) {
  if (!applyDpiSubListChoice(ctx_.config, ctx_.texts, button, choice)) return false;
  hideDpiSubList();
  return true;
}

void FunctionListController::setAfterDpiChoice(std::function<void(int)> handler) {
  afterDpiChoice_ = std::move(handler);
}

bool FunctionListController::mayOpenFunctionList(int button) const {
  if (hm::mayOpenFunctionList(ctx_.config, button)) return true;
  ctx_.messages.showMessage(ctx_.ui.get(TextId::LeftKeyMustBeSelected), kWarningCaption);
  return false;
}

bool FunctionListController::runDialog(int index, DialogResult& result) {
  const DialogEnv env{ctx_.skins, ctx_.messages, ctx_.language, ctx_.textColor, ctx_.dialogMessages};
  auto ran = [this](QDialog& dialog) { return ctx_.runner.run(dialog) == QDialog::Accepted; };
  switch (index) {
    case kWindows: {
      CWindowsDialog d(env, ctx_.parent);
      if (!ran(d)) return false;
      result = WindowsResult{d.choiceRow(), d.choiceText()};
      return true;
    }
    case kMultimedia: {
      CMediaDialog d(env, ctx_.parent);
      if (!ran(d)) return false;
      result = MediaResult{d.choiceRow(), d.choiceText()};
      return true;
    }
    case kFireKey: {
      CFireKeyDialog d(env, ctx_.parent);
      if (!ran(d)) return false;
      result = FireKeyResult{d.fireRow(), d.fireKeyText(), d.speed(), d.times()};
      return true;
    }
    case kSingleKey: {
      CSingleDialog d(env, ctx_.parent);
      if (!ran(d)) return false;
      result = SingleKeyResult{d.keyName()};
      return true;
    }
    case kComboKey: {
      CComboDialog d(env, ctx_.parent);
      if (!ran(d)) return false;
      result = ComboKeyResult{d.modifierName(), d.key1Name(), d.key2Name()};
      return true;
    }
    case kMacroKey: {
      CMacroDialog d(env, ctx_.recordIniPath, ctx_.parent);
      if (!ran(d)) return false;
      result = MacroKeyResult{d.macroRow(), d.macroName(), d.repeatOption()};
      return true;
    }
    default: return false;
  }
}

}  // namespace hm
