// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/start_picture.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstring>

#include "gui/skin/cache_file.h"

namespace hm {

namespace {

constexpr char kMagic[8] = {'H', 'M', 'S', 'T', 'A', 'R', 'T', '1'};
constexpr int kDigestBytes = 32;
// Larger than any canvas: "/main.png" at most 4096 pixels a side, twice that
// on a high-density screen.
constexpr int kMaxSide = 8192;
constexpr int kBytesPerPixel = 4;

struct Header {
  char magic[8];
  char key[kDigestBytes];
  std::int32_t width;
  std::int32_t height;
  std::int32_t format;  // QImage::Format
  std::int32_t bytesPerLine;
  double pixelRatio;
};

std::optional<QByteArray> stamp(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  const std::int64_t fields[] = {st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec,
                                 static_cast<std::int64_t>(st.st_ino)};
  return QByteArray(reinterpret_cast<const char*>(fields), sizeof fields);
}

}  // namespace

StartPictureKey& StartPictureKey::add(const QByteArray& part) {
  // Each part with its length, so that no two sequences of parts run together.
  add(static_cast<qint64>(part.size()));
  hash_.addData(part);
  return *this;
}

StartPictureKey& StartPictureKey::add(const std::string& part) {
  return add(QByteArray::fromRawData(part.data(), static_cast<qsizetype>(part.size())));
}

StartPictureKey& StartPictureKey::add(const QString& part) { return add(part.toUtf8()); }

StartPictureKey& StartPictureKey::add(qint64 part) {
  hash_.addData(QByteArrayView(reinterpret_cast<const char*>(&part), sizeof part));
  return *this;
}

StartPictureKey& StartPictureKey::add(double part) {
  hash_.addData(QByteArrayView(reinterpret_cast<const char*>(&part), sizeof part));
  return *this;
}

StartPictureKey& StartPictureKey::addFolder(const QString& folder) {
  const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  add(static_cast<qint64>(names.size()));
  for (const QString& name : names) {
    add(name);
    add(stamp(folder + u'/' + name).value_or(QByteArray()));
  }
  return *this;
}

StartPictureKey& StartPictureKey::addFileStamp(const QString& file) {
  return add(stamp(file).value_or(QByteArray()));
}

QByteArray StartPictureKey::digest() const { return hash_.result(); }

StartPicture::StartPicture(QString file) : file_(std::move(file)) {}

std::optional<QImage> StartPicture::load(const QByteArray& key) const {
  if (file_.isEmpty() || key.size() != kDigestBytes) return std::nullopt;
  QFile f(file_);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return std::nullopt;
  Header h{};
  if (f.read(reinterpret_cast<char*>(&h), sizeof h) != sizeof h ||
      std::memcmp(h.magic, kMagic, sizeof kMagic) != 0 ||
      std::memcmp(h.key, key.constData(), kDigestBytes) != 0 || h.format != QImage::Format_RGB32 ||
      h.width <= 0 || h.width > kMaxSide || h.height <= 0 || h.height > kMaxSide ||
      h.bytesPerLine != h.width * kBytesPerPixel || !(h.pixelRatio > 0) ||
      f.size() != static_cast<qint64>(sizeof h) + qint64{h.height} * h.bytesPerLine)
    return std::nullopt;
  QImage picture(h.width, h.height, QImage::Format_RGB32);
  if (picture.isNull() || picture.bytesPerLine() != h.bytesPerLine ||
      f.read(reinterpret_cast<char*>(picture.bits()), picture.sizeInBytes()) != picture.sizeInBytes())
    return std::nullopt;
  picture.setDevicePixelRatio(h.pixelRatio);
  return picture;
}

void StartPicture::store(const QByteArray& key, const QImage& picture) const {
  if (file_.isEmpty() || key.size() != kDigestBytes || picture.format() != QImage::Format_RGB32) return;
  Header h{};
  std::memcpy(h.magic, kMagic, sizeof kMagic);
  std::memcpy(h.key, key.constData(), kDigestBytes);
  h.width = picture.width();
  h.height = picture.height();
  h.format = picture.format();
  h.bytesPerLine = static_cast<std::int32_t>(picture.bytesPerLine());
  h.pixelRatio = picture.devicePixelRatio();
  static_cast<void>(replaceCacheFile(
      file_, {QByteArrayView(reinterpret_cast<const char*>(&h), sizeof h),
              QByteArrayView(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes())}));
}

}  // namespace hm
