#include "gui/skin/skin_folder.h"

#include <QFileInfo>

namespace hm {

QString skinFolderPath(const QString& executableFolder, const QString& skinName) {
  return executableFolder + QStringLiteral("/Skins/") + skinName;
}

QString skinFolderPath(const QStringList& skinRoots, const QString& skinName) {
  QString folder;
  for (const QString& root : skinRoots) {
    folder = root + QLatin1Char('/') + skinName;
    if (QFileInfo(folder).isDir()) return folder;
  }
  return folder;
}

}  // namespace hm
