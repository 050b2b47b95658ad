// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/choice_dialogs.h"

#include <QLabel>

#include "core/settings/ui_text.h"
#include "gui/dialogs/dialog_drop_down.h"
#include "gui/dialogs/dialog_layout.h"

namespace hm {
namespace {

template <typename Rows>
std::vector<std::string> rowsOf(const Rows& rows) {
  return std::vector<std::string>(rows.begin(), rows.end());
}

}  // namespace

CChoiceDialog::CChoiceDialog(const DialogEnv& env, Frame frame, Layout layout, std::vector<std::string> rows,
                             QWidget* parent)
    : CSkinDialog(env, frame, parent),
      layout_(layout),
      rows_(std::move(rows)),
      choiceText_(rows_.empty() ? std::string() : rows_.front()) {}

void CChoiceDialog::createControls() {
  display_ = makeLabel(layout_.displayId, dlg::kChoiceDisplay, Qt::AlignLeft);
  display_->setText(QString::fromStdString(choiceText_));
  list_ = new DialogDropDown(this, layout_.listId, dlg::kChoiceBox, layout_.list);
  list_->fill = [this] {
    QStringList rows;
    for (const std::string& r : rows_) rows << QString::fromStdString(r);
    return rows;
  };
  list_->chosen = [this](int row, const QString& text) {
    choiceRow_ = row;
    choiceText_ = text.toStdString();
    display_->setText(text);
  };
}

void CChoiceDialog::pressOwn(QPoint p) { list_->press(p); }

void CChoiceDialog::pressFrame(QPoint p) {
  if (list_) list_->press(p);
}

CMediaDialog::CMediaDialog(const DialogEnv& env, QWidget* parent)
    : CChoiceDialog(env, {dlg::kMediaBackground, dlg::kMediaCaption, Keys::Standard},
                    {dlg::kMediaDisplayId, dlg::kMediaListId, dlg::kMediaList},
                    rowsOf(dialogTexts(env.language).mediaRows), parent) {}

CWindowsDialog::CWindowsDialog(const DialogEnv& env, QWidget* parent)
    : CChoiceDialog(env, {dlg::kWindowsBackground, dlg::kWindowsCaption, Keys::Standard},
                    {dlg::kWindowsDisplayId, dlg::kWindowsListId, dlg::kWindowsList},
                    rowsOf(dialogTexts(env.language).windowsRows), parent) {}

}  // namespace hm
