#include "gui/skin/skin_library.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <utility>

#include "gui/skin/draw_skin_image.h"

namespace hm {

std::optional<SkinImage> decodeSkinImage(const QString& path) {
  QImageReader reader(path);
  reader.setAutoTransform(false);
  QImage decoded = reader.read();
  if (decoded.isNull()) return std::nullopt;
  SkinImage out;
  out.hasAlpha = decoded.hasAlphaChannel();
  if (out.hasAlpha) {
    out.image = premultiplyTruncating(std::move(decoded));
  } else {
    out.image = decoded.convertToFormat(QImage::Format_RGB32);
  }
  return out;
}

SkinLibrary::SkinLibrary(QString skinFolder) : folder_(std::move(skinFolder)) {}

void SkinLibrary::setSkinFolder(const QString& folder) {
  folder_ = folder;
  clearCache();
}

void SkinLibrary::clearCache() {
  cache_.clear();
  uncached_.reset();
  filesByLowerName_.clear();
  listed_ = false;
}

void SkinLibrary::setCaching(bool on) {
  caching_ = on;
  clearCache();
}

void SkinLibrary::listFolder() const {
  if (listed_) return;
  listed_ = true;
  filesByLowerName_.clear();
  const QDir dir(folder_);
  const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& f : files) {
    // The first spelling found wins when two files differ only by case.
    filesByLowerName_.insert(f.toLower(), f);
  }
}

QString SkinLibrary::resolve(const QString& name) const {
  QString plain = folder_ + name;
  // Only a bare file name directly in the folder is matched by listing.
  QString fileName = name;
  while (fileName.startsWith(u'/')) fileName.remove(0, 1);
  if (fileName.isEmpty() || fileName.contains(u'/')) return plain;
  listFolder();
  const auto it = filesByLowerName_.constFind(fileName.toLower());
  if (it == filesByLowerName_.constEnd()) return plain;
  return folder_ + u'/' + it.value();
}

const SkinImage* SkinLibrary::image(const QString& name) {
  const QString path = resolve(name);
  if (!caching_) {
    uncached_ = decodeSkinImage(path);
    return uncached_ ? &*uncached_ : nullptr;
  }
  auto it = cache_.find(path);
  if (it == cache_.end()) it = cache_.emplace(path, decodeSkinImage(path)).first;
  return it->second ? &*it->second : nullptr;
}

QSize SkinLibrary::imageSize(const QString& name) {
  const SkinImage* img = image(name);
  return img ? img->image.size() : QSize();
}

}  // namespace hm
