#include "gui/skin/skin_library.h"

#include <QDir>
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

#include "gui/skin/draw_skin_image.h"

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

}  // namespace

// The images being decoded ahead, and the worker that decodes them.
struct SkinLibrary::Prefetch {
  QString folder;
  QHash<QString, QString> files;  // the folder's listing, made for resolving
  std::vector<QString> paths;     // resolved, in decoding order, each once
  std::vector<std::optional<SkinImage>> results;
  std::vector<bool> taken;
  std::mutex mutex;
  std::condition_variable decoded;
  std::size_t done = 0;  // results[0, done) are ready
  std::atomic<bool> stop{false};
  std::thread worker;

  void run() {
    for (std::size_t i = 0; i < paths.size() && !stop; ++i) {
      std::optional<SkinImage> image = decodeSkinImage(paths[i]);
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

// The file's picture. Read as PNG first: a reader left to find the format
// loads every image-format plugin of the system to ask it about the file
// before it takes its own PNG decoder. A file that is no PNG after all is
// read again that way.
QImage readImageFile(const QString& path) {
  QImageReader reader(path, "png");
  reader.setAutoDetectImageFormat(false);
  reader.setAutoTransform(false);
  QImage decoded = reader.read();
  if (!decoded.isNull()) return decoded;
  QImageReader any(path);
  any.setAutoTransform(false);
  return any.read();
}

}  // namespace

std::optional<SkinImage> decodeSkinImage(const QString& path) {
  QImage decoded = readImageFile(path);
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
}

void SkinLibrary::dropPrefetch() { prefetch_.reset(); }

void SkinLibrary::prefetch(const QString& folder, const QStringList& names) {
  dropPrefetch();
  if (!caching_) return;
  auto p = std::make_unique<Prefetch>();
  p->folder = folder;
  p->files = folder == folder_ && listed_ ? filesByLowerName_ : listFiles(folder);
  for (const QString& name : names) {
    const QString fileName = bareFileName(name);
    const auto it = p->files.constFind(fileName.toLower());
    const QString path =
        fileName.isEmpty() || it == p->files.constEnd() ? folder + name : folder + u'/' + it.value();
    if (std::find(p->paths.begin(), p->paths.end(), path) == p->paths.end()) p->paths.push_back(path);
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

void SkinLibrary::listFolder() const {
  if (listed_) return;
  listed_ = true;
  filesByLowerName_ = listFiles(folder_);
}

QString SkinLibrary::resolve(const QString& name) const {
  QString plain = folder_ + name;
  // Only a bare file name directly in the folder is matched by listing.
  const QString fileName = bareFileName(name);
  if (fileName.isEmpty()) return plain;
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
  if (it == cache_.end()) {
    std::optional<std::optional<SkinImage>> ahead = takePrefetched(path);
    it = cache_.emplace(path, ahead ? std::move(*ahead) : decodeSkinImage(path)).first;
  }
  return it->second ? &*it->second : nullptr;
}

QSize SkinLibrary::imageSize(const QString& name) {
  const SkinImage* img = image(name);
  return img ? img->image.size() : QSize();
}

}  // namespace hm
