// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/skins_dialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <optional>
#include <utility>

#include "core/model/skin_list.h"
#include "core/settings/ui_text.h"
#include "gui/dialogs/color_chooser.h"
#include "gui/dialogs/dialog_drop_down.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/skin/skin_library.h"
#include "gui/skin/skin_text.h"

namespace hm {

CSkinsDialog::CSkinsDialog(const DialogEnv& env, ColorChooser& chooser, std::vector<std::string> roots,
                           QString skinName, QWidget* parent)
    : CSkinDialog(env, {dlg::kSkinsBackground, dlg::kSkinsCaption, Keys::Standard}, parent),
      chooser_(chooser),
      roots_(std::move(roots)),
      skinFolder_(env.skins.skinFolder()),
      // Taken now, not only once the background is there: OK on a dialog
      // that could not draw itself must write back what was stored.
      skinName_(std::move(skinName)),
      textColor_(env.textColor) {}

void CSkinsDialog::createControls() {
  name_ = makeLabel(dlg::kSkinsNameId, dlg::kSkinsName, Qt::AlignLeft);
  name_->setText(skinName_);
  swatch_ = makeLabel(dlg::kSkinsSwatchId, dlg::kSkinsSwatch, Qt::AlignLeft);
  showSwatch();
  list_ = new DialogDropDown(this, dlg::kSkinsListId, dlg::kSkinsBox, dlg::kSkinsList, dlg::kWheelLines);
  list_->fill = [this] {
    QStringList names;
    for (const SkinEntry& e : listSkins(roots_)) names << QString::fromStdString(e.name);
    return names;
  };
  list_->chosen = [this](int row, const QString& name) { choose(row, name); };
}

void CSkinsDialog::showSwatch() {
  swatch_->setStyleSheet(QStringLiteral("QLabel { background-color: %1; }").arg(textColor_.name()));
}

void CSkinsDialog::choose(int row, const QString& name) {
  const std::optional<std::string> folder = findSkin(roots_, name.toStdString());
  if (!folder) return;
  skinName_ = name;
  chosenIndex_ = row;
  skinFolder_ = QString::fromStdString(*folder);
  name_->setText(name);
}

void CSkinsDialog::paintOwn(QPainter& painter) {
  // The English prompt is wider than its place: it stays centred there and
  // runs over both sides (within the dialog) instead of being cut.
  const QString prompt = QString::fromStdString(texts().skinsColorPrompt);
  const int overflow = QFontMetrics(dialogFont()).horizontalAdvance(prompt) - dlg::kSkinsPrompt.width();
  QRect place = dlg::kSkinsPrompt;
  if (overflow > 0) place.adjust(-(overflow + 1) / 2 - 1, 0, (overflow + 1) / 2 + 1, 0);
  place = place.intersected(rect());
  drawSkinText(painter, place, prompt, kTextCenter, dialogFont(), env().textColor);
}

void CSkinsDialog::pressOwn(QPoint p) {
  // An open list closes first when the press misses it and the face.
  list_->press(p);
  if (inside(dlg::kSkinsSwatch, p)) {
    // The chooser starts at black, as the standard chooser does.
    if (const std::optional<QColor> c = chooser_.chooseColor(this, QColor(Qt::black))) {
      textColor_ = QColor(c->red(), c->green(), c->blue());
      showSwatch();
    }
  }
}

void CSkinsDialog::pressFrame(QPoint p) {
  if (list_) list_->press(p);
}

bool CSkinsDialog::wheelOwn(int delta) { return list_ && list_->scroll(delta); }

}  // namespace hm
