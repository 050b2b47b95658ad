// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts follow the program's language: the standard buttons of the
// message boxes and the colour chooser, from Qt's catalogues.
#include <gtest/gtest.h>

#include <QColorDialog>
#include <QMessageBox>
#include <QPushButton>

#include "gui/app/qt_translations.h"
#include "support/qt_application.h"

namespace hm::test {
namespace {

QStringList buttonTexts(const QWidget& w) {
  QStringList texts;
  for (const QPushButton* b : w.findChildren<QPushButton*>()) texts << b->text();
  return texts;
}

TEST(QtTranslations, MessageBoxButtonsAndTheColourChooserSpeakTheLanguage) {
  application();
  struct Case {
    Language language;
    QString ok;
    QString addColour;  // the colour chooser's button
  };
  const Case cases[] = {
      {Language::SimplifiedChinese, QStringLiteral("确定"), QStringLiteral("添加到自定义颜色(&A)")},
      {Language::TraditionalChinese, QStringLiteral("確定"), QStringLiteral("新增到自訂顏色(&A)")},
      {Language::English, QStringLiteral("OK"), QStringLiteral("&Add to Custom Colors")}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.language));
    const std::unique_ptr<QTranslator> qt = installQtTranslations(c.language);
    EXPECT_EQ(qt != nullptr, c.language != Language::English);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("t"), QStringLiteral("x"), QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), c.ok);
    QColorDialog chooser;
    chooser.setOption(QColorDialog::DontUseNativeDialog);
    EXPECT_TRUE(buttonTexts(chooser).contains(c.addColour)) << buttonTexts(chooser).join(u'|').toStdString();
  }
}

}  // namespace
}  // namespace hm::test
