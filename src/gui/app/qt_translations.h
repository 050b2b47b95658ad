// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts in the program's language: the standard buttons of the
// message boxes, the colour chooser, the line edits' context menus. Qt keeps
// them in the catalogues of its translations folder (Debian: the
// qt6-translations-l10n package); without them they stay English.
#pragma once

#include <QTranslator>
#include <memory>

#include "core/settings/language.h"

namespace hm {

// Installs Qt's catalogue for `language` into the application and gives it
// (the texts go back to English when it is destroyed); nullptr for English
// or when the catalogue is missing.
std::unique_ptr<QTranslator> installQtTranslations(Language language);

}  // namespace hm
