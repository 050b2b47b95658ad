// SPDX-License-Identifier: GPL-3.0-or-later
// The skins dialog: the skin (one of the folders of the skin roots) and the
// colour of all painted UI text.
//
// It starts from the main window's current skin folder, skin name and text
// colour, and ends with OK or Cancel; the caller takes skinFolder(),
// skinName() and textColor() after OK. Without its "/skins.png" it says
// "error" under its load-failure caption and stays open and empty, and OK
// then gives back the values it started with.
//
// The swatch (a static child filled with the chosen colour) opens the colour
// chooser; the skin face opens the list of the skins, listed afresh at each
// opening. A chosen line becomes the skin name and its folder the skin folder;
// a line whose folder is gone by then (removed while the list was open)
// changes nothing, so the name and the folder never disagree. The wheel
// anywhere over the dialog scrolls the open list three lines.
#pragma once

#include <QColor>
#include <QString>
#include <string>
#include <vector>

#include "gui/dialogs/skin_dialog.h"

class QLabel;

namespace hm {

class ColorChooser;
class DialogDropDown;

class CSkinsDialog : public CSkinDialog {
  Q_OBJECT
 public:
  // roots: the skin roots in order of precedence (core/model/skin_list.h).
  // The current skin folder is env.skins' folder and the current text colour
  // env.textColor.
  CSkinsDialog(const DialogEnv& env, ColorChooser& chooser, std::vector<std::string> roots, QString skinName,
               QWidget* parent = nullptr);

  const QString& skinFolder() const { return skinFolder_; }
  const QString& skinName() const { return skinName_; }
  QColor textColor() const { return textColor_; }
  int chosenIndex() const { return chosenIndex_; }

  DialogDropDown* skinList() const { return list_; }

 protected:
  void createControls() override;
  void paintOwn(QPainter& painter) override;
  void pressOwn(QPoint p) override;
  void pressFrame(QPoint p) override;
  bool wheelOwn(int delta) override;

 private:
  void choose(int row, const QString& name);
  void showSwatch();

  ColorChooser& chooser_;
  std::vector<std::string> roots_;
  QString skinFolder_;
  QString skinName_;
  QColor textColor_;
  int chosenIndex_ = -1;
  QLabel* name_ = nullptr;
  QLabel* swatch_ = nullptr;
  DialogDropDown* list_ = nullptr;
};

}  // namespace hm
