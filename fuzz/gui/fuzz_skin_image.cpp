// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a skin image, loaded through the skin library with its
// limits: as "/main.png" (the canvas) or as another image of a skin whose
// main.png is small. Nothing may crash, and nothing larger than the limits
// may come out.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "gui/skin/draw_skin_image.h"
#include "gui/skin/skin_library.h"

namespace {

// One skin folder for the whole run, with a small main.png for the case
// where the input is another image.
const QString& skinFolder() {
  static QTemporaryDir dir;
  static const bool made = [] {
    QImage main(64, 48, QImage::Format_RGB32);
    main.fill(Qt::gray);
    return main.save(dir.path() + QStringLiteral("/small.png"), "PNG");
  }();
  (void)made;
  static const QString path = dir.path();
  return path;
}

void writeFile(const QString& path, const std::uint8_t* data, std::size_t size) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
    f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // Byte 0 chooses the role: even as main.png, odd as BasicSet2.png.
  const bool asMain = (data[0] & 1) == 0;
  const QString& folder = skinFolder();
  const QString main = folder + QStringLiteral("/main.png");
  const QString other = folder + QStringLiteral("/BasicSet2.png");
  QFile::remove(main);
  QFile::remove(other);
  if (asMain) {
    writeFile(main, data + 1, size - 1);
  } else {
    QFile::copy(folder + QStringLiteral("/small.png"), main);
    writeFile(other, data + 1, size - 1);
  }
  hm::SkinLibrary skins(folder);
  const QImage canvas = hm::loadCanvas(skins);
  if (canvas.width() > hm::kMaxMainImageSide || canvas.height() > hm::kMaxMainImageSide) std::abort();
  const hm::SkinImage* img = skins.image(QStringLiteral("/BasicSet2.png"));
  if (img != nullptr) {
    const QSize limit = skins.sizeLimit(QStringLiteral("/BasicSet2.png"));
    if (img->image.width() > limit.width() || img->image.height() > limit.height()) std::abort();
    QImage target(canvas.isNull() ? QSize(8, 8) : canvas.size(), QImage::Format_RGB32);
    target.fill(Qt::black);
    hm::drawSkinImage(target, skins, QStringLiteral("/BasicSet2.png"), -3, 5);
  }
  return 0;
}
