// SPDX-License-Identifier: GPL-3.0-or-later
// The images of one skin folder, decoded and prepared for drawing.
//
// One library belongs to each main window and is passed by reference to its
// pages and dialogs. Image names begin with "/" and are appended to the skin
// folder; the file name is matched against the folder's files without regard
// to letter case (the folder is listed once and the listing kept), so
// "/DropdownBox.png" and "/dropdownbox.png" name the same file.
//
// Decoded images are cached per resolved path. setSkinFolder() drops the cache
// and the listing, so a change of skin shows the new images on the next paint.
// With a folder of decoded images kept between runs (setImageCache), the
// large ones (a page's background: as large as the window's own canvas) stay
// in memory only until releaseLargeImages(), which the window calls once a
// page is painted: the canvas holds their pixels, no partial redraw draws
// them, and a later full paint reads them back from that folder.
//
// On a high-density screen (setScale() above 1) a name stands for its
// "@2x" picture where the folder has one ("/main.png" -> "/main@2x.png",
// drawn at twice the pixels over the same place); only the picture of the
// current scale is decoded and kept.
//
// Nothing is decoded before it is drawn, except what prefetch() asks for: the
// images a first paint will draw, decoded in that order on a worker thread
// while the caller goes on with its start; image() takes the worker's result
// (waiting for it when needed) instead of reading the file again.
#pragma once

#include <QHash>
#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace hm {

// A decoded skin image. With alpha: Format_ARGB32_Premultiplied whose colour
// channels are floor(c * a / 255) of the file's straight values. Without
// alpha: Format_RGB32, the file's pixels unchanged. An "@2x" picture has
// device pixel ratio 2; logicalSize() is the size it covers on the window.
struct SkinImage {
  QImage image;
  bool hasAlpha = false;

  QSizeF logicalSize() const { return image.deviceIndependentSize(); }
};

// The "@2x" spelling of an image name: "/main.png" -> "/main@2x.png".
QString hiResName(const QString& name);

// Limits on what a skin may make the program decode. An image is never
// larger than the window it is drawn in could show: "/main.png", which sets
// the window's size, at most kMaxMainImageSide on each side, every other
// image at most as wide and as high as "/main.png" (or that limit while
// there is no usable one). A file above kMaxSkinFileBytes is not read.
// Refused images count as missing ones.
inline constexpr int kMaxMainImageSide = 4096;
inline constexpr qint64 kMaxSkinFileBytes = 64LL << 20;
// Qt's image-reader allocation limit while a skin image is decoded, in MiB:
// a backstop for a decoder that announces one size and allocates more.
inline constexpr int kSkinImageAllocationLimitMiB = 128;
inline const QSize kMaxMainImageSize{kMaxMainImageSide, kMaxMainImageSide};
// The size from which a decoded image counts as large (releaseLargeImages).
inline constexpr qsizetype kLargeImageBytes = 512 * 1024;

// The decoded file at path, unchanged; nullopt when it is missing, not a
// regular file (a FIFO is never waited on, a folder never read), larger than
// kMaxSkinFileBytes, announces an image wider or higher than maxSize, or
// cannot be decoded.
std::optional<QImage> readSkinFile(const QString& path, QSize maxSize);

// Decodes one PNG file and prepares it for drawing (no cache); nullopt when
// readSkinFile refuses it.
std::optional<SkinImage> decodeSkinImage(const QString& path, QSize maxSize = kMaxMainImageSize);

// The size a PNG file announces in its header, without decoding it; an
// invalid size when the file is missing, not a regular file or no image.
QSize announcedImageSize(const QString& path);

class SkinLibrary {
 public:
  explicit SkinLibrary(QString skinFolder = {});
  ~SkinLibrary();
  SkinLibrary(const SkinLibrary&) = delete;
  SkinLibrary& operator=(const SkinLibrary&) = delete;

  // Switches to another skin folder; clears the cache and the listing. A
  // prefetch of that same folder is kept; one of another folder is dropped.
  void setSkinFolder(const QString& folder);
  const QString& skinFolder() const { return folder_; }

  // folder + name, with the file name replaced by the folder's own spelling
  // when a file matches without regard to case; plain concatenation otherwise.
  QString resolve(const QString& name) const;

  // The device pixel ratio the images are drawn at. Above 1, image() gives
  // the "@2x" picture of a name where the folder has one. A change across 1
  // clears the cache.
  void setScale(qreal scale);
  qreal scale() const { return scale_; }

  // The prepared image, or nullptr when it is missing or undecodable. The
  // pointer stays valid until the next setSkinFolder() / setCaching() call,
  // a large image's only until the next releaseLargeImages() (with caching
  // off, until the next image() call).
  const SkinImage* image(const QString& name);
  // The image's size on the window (logical pixels), or an empty size when
  // it is missing.
  QSize imageSize(const QString& name);
  // The largest image the skin may have under that name: kMaxMainImageSize
  // for "/main.png", the size "/main.png" announces (when usable) for the
  // others. Read from the file's header, never by decoding it.
  QSize sizeLimit(const QString& name);

  // Starts decoding the named images of `folder`, in this order, on a worker
  // thread (replacing an earlier prefetch). They are taken by image() once
  // the library's folder is `folder`; clearCache(), setCaching() and a switch
  // to another folder drop them. Nothing happens with caching off.
  void prefetch(const QString& folder, const QStringList& names);

  // Caching is on by default; off decodes the file on every use.
  void setCaching(bool on);
  // With caching on, images are also kept decoded between runs in this
  // folder (skin_image_cache.h); empty (the default): decoded from the files.
  void setImageCache(const QString& folder) { imageCache_ = folder; }
  bool caching() const { return caching_; }
  void clearCache();
  // Drops the large images (kLargeImageBytes and above) from memory when
  // there is an image cache folder to read them back from; without one,
  // nothing.
  void releaseLargeImages();

 private:
  struct Prefetch;
  void listFolder() const;
  // The file name is drawn from at the current scale, and its pixels per
  // logical pixel (2 for an "@2x" picture, else 1).
  std::pair<QString, int> source(const QString& name) const;
  void dropPrefetch();
  // The prefetched decode of path, when there is one (waits for it).
  std::optional<std::optional<SkinImage>> takePrefetched(const QString& path);

  QString folder_;
  bool caching_ = true;
  qreal scale_ = 1;
  QString imageCache_;
  mutable bool listed_ = false;
  mutable QHash<QString, QString> filesByLowerName_;  // lower-case name -> real name
  // resolved path -> image; a node map keeps handed-out pointers valid.
  std::map<QString, std::optional<SkinImage>> cache_;
  std::optional<SkinImage> uncached_;
  std::unique_ptr<Prefetch> prefetch_;
  std::optional<QSize> mainSize_;  // size limit of the other images, once known
};

}  // namespace hm
