#include "gui/skin/skin_folder.h"

#include "core/settings/skin_name.h"

namespace hm {

QString skinFolderPath(const QString& executableFolder, const QString& skinName) {
  const std::string name = usableSkinName(skinName.toStdString());
  return executableFolder + QStringLiteral("/Skins/") + QString::fromStdString(name);
}

}  // namespace hm
