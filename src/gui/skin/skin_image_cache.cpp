// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/skin_image_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "gui/skin/cache_file.h"
#include "gui/skin/skin_library.h"

namespace hm {

namespace {

constexpr char kMagic[8] = {'H', 'M', 'S', 'K', 'I', 'N', '1', '\n'};

// What an entry holds ahead of its pixel rows.
struct EntryHeader {
  char magic[8];
  std::int64_t sourceSize;
  std::int64_t sourceTimeNs;  // change of contents (st_mtim)
  std::uint64_t sourceInode;
  std::int32_t width;
  std::int32_t height;
  std::int32_t format;  // QImage::Format
  std::int32_t hasAlpha;
  std::int64_t bytesPerLine;
};

// The source file's identity as the header keeps it; nullopt for anything
// that is not a regular file.
std::optional<EntryHeader> sourceKey(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  EntryHeader h{};
  std::memcpy(h.magic, kMagic, sizeof kMagic);
  h.sourceSize = st.st_size;
  h.sourceTimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  h.sourceInode = st.st_ino;
  return h;
}

bool sameSource(const EntryHeader& a, const EntryHeader& b) {
  return std::memcmp(a.magic, b.magic, sizeof a.magic) == 0 && a.sourceSize == b.sourceSize &&
         a.sourceTimeNs == b.sourceTimeNs && a.sourceInode == b.sourceInode;
}

bool readAll(int fd, void* to, std::size_t n) {
  auto* p = static_cast<char*>(to);
  while (n > 0) {
    const ssize_t got = ::read(fd, p, n);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

QString entryPath(const QString& folder, const QString& source) {
  return folder + u'/' +
         QString::fromLatin1(
             QCryptographicHash::hash(QFile::encodeName(source), QCryptographicHash::Sha1).toHex());
}

// The entry's image when it belongs to `key` and fits maxSize.
std::optional<SkinImage> readEntry(const QString& file, const EntryHeader& key, QSize maxSize) {
  const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return std::nullopt;
  std::optional<SkinImage> out;
  EntryHeader h{};
  if (readAll(fd, &h, sizeof h) && sameSource(h, key) && h.width > 0 && h.height > 0 &&
      h.width <= maxSize.width() && h.height <= maxSize.height() &&
      (h.format == QImage::Format_RGB32 || h.format == QImage::Format_ARGB32_Premultiplied)) {
    QImage image(h.width, h.height, static_cast<QImage::Format>(h.format));
    if (!image.isNull() && image.bytesPerLine() == h.bytesPerLine &&
        readAll(fd, image.bits(), static_cast<std::size_t>(image.sizeInBytes()))) {
      char extra = 0;
      if (::read(fd, &extra, 1) == 0) out = SkinImage{std::move(image), h.hasAlpha != 0};
    }
  }
  ::close(fd);
  return out;
}

// Stores the entry; failures only cost the next start its decode.
void writeEntry(const QString& file, EntryHeader h, const SkinImage& image) {
  h.width = image.image.width();
  h.height = image.image.height();
  h.format = image.image.format();
  h.hasAlpha = image.hasAlpha ? 1 : 0;
  h.bytesPerLine = image.image.bytesPerLine();
  static_cast<void>(replaceCacheFile(
      file,
      {QByteArrayView(reinterpret_cast<const char*>(&h), sizeof h),
       QByteArrayView(reinterpret_cast<const char*>(image.image.constBits()), image.image.sizeInBytes())}));
}

}  // namespace

std::optional<SkinImage> loadSkinImage(const QString& path, QSize maxSize, const QString& cacheFolder) {
  const std::optional<EntryHeader> key = cacheFolder.isEmpty() ? std::nullopt : sourceKey(path);
  if (!key) return decodeSkinImage(path, maxSize);
  const QString file = entryPath(cacheFolder, path);
  if (std::optional<SkinImage> hit = readEntry(file, *key, maxSize)) return hit;
  std::optional<SkinImage> decoded = decodeSkinImage(path, maxSize);
  // Kept only when the file did not change while it was read.
  const std::optional<EntryHeader> after = sourceKey(path);
  if (decoded && after && sameSource(*key, *after)) writeEntry(file, *key, *decoded);
  return decoded;
}

}  // namespace hm
