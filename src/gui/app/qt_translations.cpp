// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace hm {

std::unique_ptr<QTranslator> installQtTranslations(Language language) {
  QString name;
  switch (language) {
    case Language::English: return nullptr;
    case Language::SimplifiedChinese: name = QStringLiteral("qt_zh_CN"); break;
    case Language::TraditionalChinese: name = QStringLiteral("qt_zh_TW"); break;
  }
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator.get()))
    return nullptr;
  return translator;
}

}  // namespace hm
