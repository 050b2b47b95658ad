#include "gui/skin/skin_library.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <utility>

#include "core/settings/regular_file.h"
#include "gui/skin/draw_skin_image.h"
#include "gui/skin/skin_images.h"

namespace hm {

std::optional<QImage> readSkinFile(const QString& path, QSize maxSize) {
  // Through the core's file layer: only a regular file is opened (a FIFO in
  // an image's place would block a plain open forever) and read whole.
  Result<std::string> bytes =
      readRegularFile(QFile::encodeName(path).toStdString(), static_cast<std::size_t>(kMaxSkinFileBytes));
  if (!bytes) return std::nullopt;
  QByteArray data = QByteArray::fromStdString(bytes.value());
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  // The size the file announces is checked before anything is decoded.
  const QSize announced = reader.size();
  if (!announced.isValid() || announced.width() > maxSize.width() || announced.height() > maxSize.height())
    return std::nullopt;
  QImageReader::setAllocationLimit(kSkinImageAllocationLimitMiB);
  QImage decoded = reader.read();
  if (decoded.isNull() || decoded.width() > maxSize.width() || decoded.height() > maxSize.height())
    return std::nullopt;
  return decoded;
}

std::optional<SkinImage> decodeSkinImage(const QString& path, QSize maxSize) {
  std::optional<QImage> decoded = readSkinFile(path, maxSize);
  if (!decoded) return std::nullopt;
  SkinImage out;
  out.hasAlpha = decoded->hasAlphaChannel();
  if (out.hasAlpha) {
    out.image = premultiplyTruncating(std::move(*decoded));
  } else {
    out.image = decoded->convertToFormat(QImage::Format_RGB32);
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
  mainSize_.reset();
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

QSize SkinLibrary::sizeLimit(const QString& name) {
  const QString main = QString::fromLatin1(skin::kMain);
  if (name.compare(main, Qt::CaseInsensitive) == 0) return kMaxMainImageSize;
  if (!mainSize_) {
    const std::optional<QImage> decoded = readSkinFile(resolve(main), kMaxMainImageSize);
    mainSize_ = decoded ? decoded->size() : kMaxMainImageSize;
  }
  return *mainSize_;
}

const SkinImage* SkinLibrary::image(const QString& name) {
  const QString path = resolve(name);
  if (!caching_) {
    uncached_ = decodeSkinImage(path, sizeLimit(name));
    return uncached_ ? &*uncached_ : nullptr;
  }
  auto it = cache_.find(path);
  if (it == cache_.end()) it = cache_.emplace(path, decodeSkinImage(path, sizeLimit(name))).first;
  return it->second ? &*it->second : nullptr;
}

QSize SkinLibrary::imageSize(const QString& name) {
  const SkinImage* img = image(name);
  return img ? img->image.size() : QSize();
}

}  // namespace hm
