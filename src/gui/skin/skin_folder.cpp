// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/skin_folder.h"

#include <QFileInfo>

#include "core/settings/skin_name.h"

namespace hm {

QString skinFolderPath(const QString& executableFolder, const QString& skinName) {
  const std::string name = usableSkinName(skinName.toStdString());
  return executableFolder + QStringLiteral("/Skins/") + QString::fromStdString(name);
}

QString skinFolderPath(const QStringList& skinRoots, const QString& skinName) {
  const QString name = QString::fromStdString(usableSkinName(skinName.toStdString()));
  QString folder;
  for (const QString& root : skinRoots) {
    folder = root + QLatin1Char('/') + name;
    if (QFileInfo(folder).isDir()) return folder;
  }
  return folder;
}

}  // namespace hm
