#include "gui/skin/skin_folder.h"

namespace hm {

QString skinFolderPath(const QString& executableFolder, const QString& skinName) {
  return executableFolder + QStringLiteral("/Skins/") + skinName;
}

}  // namespace hm
