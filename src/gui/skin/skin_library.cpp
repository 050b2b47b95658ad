// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/skin_library.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "core/settings/regular_file.h"
#include "gui/skin/draw_skin_image.h"
#include "gui/skin/skin_image_cache.h"
#include "gui/skin/skin_images.h"

namespace hm {

namespace {

// lower-case name -> real name of the files in folder.
QHash<QString, QString> listFiles(const QString& folder) {
  QHash<QString, QString> files;
  const QDir dir(folder);
  for (const QString& f : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    // The first spelling found wins when two files differ only by case.
    files.insert(f.toLower(), f);
  }
  return files;
}

// The bare file name that name asks for directly in the folder; empty for a
// name that reaches into a subfolder.
QString bareFileName(const QString& name) {
  QString fileName = name;
  while (fileName.startsWith(u'/')) fileName.remove(0, 1);
  return fileName.contains(u'/') ? QString() : fileName;
}

// folder + name, with the listing's spelling of the file name when it has one.
QString resolveIn(const QString& folder, const QHash<QString, QString>& files, const QString& name) {
  const QString fileName = bareFileName(name);
  if (fileName.isEmpty()) return folder + name;
  const auto it = files.constFind(fileName.toLower());
  return it == files.constEnd() ? folder + name : folder + u'/' + it.value();
}

// Pixels per logical pixel of an "@2x" picture.
constexpr int kHiResFactor = 2;

// The file name is drawn from at `scale`, and its pixels per logical pixel:
// the "@2x" picture above scale 1 where the listing has one.
std::pair<QString, int> sourceIn(const QString& folder, const QHash<QString, QString>& files,
                                 const QString& name, qreal scale) {
  if (scale > 1) {
    const QString hiRes = hiResName(name);
    const QString fileName = bareFileName(hiRes);
    if (!fileName.isEmpty() && files.contains(fileName.toLower()))
      return {resolveIn(folder, files, hiRes), kHiResFactor};
  }
  return {resolveIn(folder, files, name), 1};
}

// Decodes the picture at path with its pixels per logical pixel.
std::optional<SkinImage> decodeScaled(const QString& path, QSize limit, int factor,
                                      const QString& imageCache) {
  std::optional<SkinImage> image = loadSkinImage(path, limit * factor, imageCache);
  if (image) image->image.setDevicePixelRatio(factor);
  return image;
}

bool isMainImage(const QString& name) {
  return name.compare(QLatin1String(skin::kMain), Qt::CaseInsensitive) == 0;
}

// The limit of the images other than "/main.png", from its announced size.
QSize otherImagesLimit(const QString& mainPath) {
  const QSize announced = announcedImageSize(mainPath);
  if (!announced.isValid() || announced.isEmpty() || announced.width() > kMaxMainImageSide ||
      announced.height() > kMaxMainImageSide)
    return kMaxMainImageSize;
  return announced;
}

}  // namespace

QString hiResName(const QString& name) {
  const qsizetype slash = name.lastIndexOf(u'/');
  const qsizetype dot = name.lastIndexOf(u'.');
  const qsizetype at = dot > slash ? dot : name.size();
  return name.left(at) + QStringLiteral("@2x") + name.mid(at);
}

// The images being decoded ahead, and the worker that decodes them.
struct SkinLibrary::Prefetch {
  QString folder;
  QString imageCache;
  QHash<QString, QString> files;  // the folder's listing, made for resolving
  std::vector<QString> paths;     // resolved, in decoding order, each once
  std::vector<QSize> limits;      // the size limit of each path (logical)
  std::vector<int> factors;       // pixels per logical pixel of each path
  std::vector<std::optional<SkinImage>> results;
  std::vector<bool> taken;
  std::mutex mutex;
  std::condition_variable decoded;
  std::size_t done = 0;  // results[0, done) are ready
  std::atomic<bool> stop{false};
  std::thread worker;

  void run() {
    for (std::size_t i = 0; i < paths.size() && !stop; ++i) {
      std::optional<SkinImage> image = decodeScaled(paths[i], limits[i], factors[i], imageCache);
      {
        std::lock_guard lock(mutex);
        results[i] = std::move(image);
        done = i + 1;
      }
      decoded.notify_all();
    }
  }
  ~Prefetch() {
    stop = true;
    if (worker.joinable()) worker.join();
  }
};

QSize announcedImageSize(const QString& path) {
  // Only a regular file is opened: a FIFO in an image's place would block.
  if (!QFileInfo(path).isFile()) return {};
  QImageReader reader(path, "png");
  reader.setAutoDetectImageFormat(false);
  const QSize size = reader.size();
  if (size.isValid()) return size;
  return QImageReader(path).size();
}

namespace {

// The picture in bytes, when it announces a size within maxSize. `format`
// "png" reads it as PNG only: a reader left to find the format loads every
// image-format plugin of the system to ask it about the file before it takes
// its own PNG decoder. Empty: any format the reader knows.
std::optional<QImage> decodeBytes(QByteArray& bytes, QSize maxSize, const char* format) {
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  reader.setAutoDetectImageFormat(format == nullptr);
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

}  // namespace

std::optional<QImage> readSkinFile(const QString& path, QSize maxSize) {
  // Through the core's file layer: only a regular file is opened (a FIFO in
  // an image's place would block a plain open forever) and read whole.
  Result<std::string> bytes =
      readRegularFile(QFile::encodeName(path).toStdString(), static_cast<std::size_t>(kMaxSkinFileBytes));
  if (!bytes) return std::nullopt;
  QByteArray data = QByteArray::fromStdString(bytes.value());
  if (std::optional<QImage> png = decodeBytes(data, maxSize, "png")) return png;
  // No PNG after all: read it again as whatever it is.
  return decodeBytes(data, maxSize, nullptr);
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

SkinLibrary::~SkinLibrary() = default;

void SkinLibrary::setSkinFolder(const QString& folder) {
  std::unique_ptr<Prefetch> kept;
  if (prefetch_ && prefetch_->folder == folder) kept = std::move(prefetch_);
  folder_ = folder;
  clearCache();
  if (kept) {
    // The prefetch listed this folder already.
    filesByLowerName_ = kept->files;
    listed_ = true;
    prefetch_ = std::move(kept);
  }
}

void SkinLibrary::clearCache() {
  dropPrefetch();
  cache_.clear();
  uncached_.reset();
  filesByLowerName_.clear();
  listed_ = false;
  mainSize_.reset();
}

void SkinLibrary::releaseLargeImages() {
  if (imageCache_.isEmpty()) return;
  std::erase_if(cache_, [](const auto& entry) {
    return entry.second && entry.second->image.sizeInBytes() >= kLargeImageBytes;
  });
}

void SkinLibrary::dropPrefetch() { prefetch_.reset(); }

void SkinLibrary::prefetch(const QString& folder, const QStringList& names) {
  dropPrefetch();
  if (!caching_) return;
  auto p = std::make_unique<Prefetch>();
  p->folder = folder;
  p->imageCache = imageCache_;
  p->files = folder == folder_ && listed_ ? filesByLowerName_ : listFiles(folder);
  // The limits are known before the worker starts: from the header of
  // "/main.png" of that folder, never by decoding it.
  const QSize othersLimit = otherImagesLimit(resolveIn(folder, p->files, QLatin1String(skin::kMain)));
  for (const QString& name : names) {
    const auto [path, factor] = sourceIn(folder, p->files, name, scale_);
    if (std::find(p->paths.begin(), p->paths.end(), path) != p->paths.end()) continue;
    p->paths.push_back(path);
    p->limits.push_back(isMainImage(name) ? kMaxMainImageSize : othersLimit);
    p->factors.push_back(factor);
  }
  p->results.resize(p->paths.size());
  p->taken.resize(p->paths.size());
  try {
    p->worker = std::thread([raw = p.get()] { raw->run(); });
  } catch (const std::system_error&) {
    return;  // no thread: every image is decoded when it is drawn
  }
  prefetch_ = std::move(p);
}

std::optional<std::optional<SkinImage>> SkinLibrary::takePrefetched(const QString& path) {
  if (!prefetch_ || prefetch_->folder != folder_) return std::nullopt;
  Prefetch& p = *prefetch_;
  const auto at = std::find(p.paths.begin(), p.paths.end(), path);
  const auto i = static_cast<std::size_t>(at - p.paths.begin());
  if (at == p.paths.end() || p.taken[i]) return std::nullopt;
  std::optional<SkinImage> image;
  {
    std::unique_lock lock(p.mutex);
    p.decoded.wait(lock, [&] { return p.done > i; });
    image = std::move(p.results[i]);
  }
  p.taken[i] = true;
  // Everything taken: the worker has ended; let its thread go.
  if (std::find(p.taken.begin(), p.taken.end(), false) == p.taken.end()) dropPrefetch();
  return image;
}

void SkinLibrary::setCaching(bool on) {
  caching_ = on;
  clearCache();
}

void SkinLibrary::setScale(qreal scale) {
  const bool hiRes = scale > 1;
  const bool wasHiRes = scale_ > 1;
  scale_ = scale;
  // The pictures kept are those of the old scale; a prefetch made for it
  // would be taken at the new one.
  if (hiRes != wasHiRes) clearCache();
}

std::pair<QString, int> SkinLibrary::source(const QString& name) const {
  if (bareFileName(name).isEmpty()) return {folder_ + name, 1};
  listFolder();
  return sourceIn(folder_, filesByLowerName_, name, scale_);
}

void SkinLibrary::listFolder() const {
  if (listed_) return;
  listed_ = true;
  filesByLowerName_ = listFiles(folder_);
}

QString SkinLibrary::resolve(const QString& name) const {
  // Only a bare file name directly in the folder is matched by listing.
  if (bareFileName(name).isEmpty()) return folder_ + name;
  listFolder();
  return resolveIn(folder_, filesByLowerName_, name);
}

QSize SkinLibrary::sizeLimit(const QString& name) {
  if (isMainImage(name)) return kMaxMainImageSize;
  if (!mainSize_) mainSize_ = otherImagesLimit(resolve(QLatin1String(skin::kMain)));
  return *mainSize_;
}

const SkinImage* SkinLibrary::image(const QString& name) {
  const auto [path, factor] = source(name);
  if (!caching_) {
    uncached_ = decodeScaled(path, sizeLimit(name), factor, QString());
    return uncached_ ? &*uncached_ : nullptr;
  }
  auto it = cache_.find(path);
  if (it == cache_.end()) {
    std::optional<std::optional<SkinImage>> ahead = takePrefetched(path);
    it = cache_
             .emplace(path,
                      ahead ? std::move(*ahead) : decodeScaled(path, sizeLimit(name), factor, imageCache_))
             .first;
  }
  return it->second ? &*it->second : nullptr;
}

QSize SkinLibrary::imageSize(const QString& name) {
  const SkinImage* img = image(name);
  return img ? img->logicalSize().toSize() : QSize();
}

}  // namespace hm
