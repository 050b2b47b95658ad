// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of the window's first page kept between runs, so that a start
// shows the window before its fonts are loaded and its texts drawn.
//
// A start that draws the Basic page stores the canvas it drew, under a key
// made of everything the drawing depends on (the program, the toolkit, the
// screen's scale and resolution, the language, the three settings files as
// read, the mouse's sensor, the skin folder's files, the fitted font sizes).
// The next start with the same key shows the stored picture at once and
// draws the page for real right after that first paint; where the two
// differ (a change no key covers, such as the system's fonts), the real
// picture replaces the stored one on the screen and in the file.
//
// One file in the cache folder, written through a temporary file and a
// rename without a flush to the disk: a lost or damaged file only costs the
// next start the wait for its fonts.
#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QImage>
#include <QString>
#include <optional>
#include <string>

namespace hm {

// The key of a picture: a digest over the parts added, in order.
class StartPictureKey {
 public:
  StartPictureKey& add(const QByteArray& part);
  StartPictureKey& add(const std::string& part);
  StartPictureKey& add(const QString& part);
  StartPictureKey& add(qint64 part);
  StartPictureKey& add(double part);
  // Each regular file directly in `folder`: its name, size, modification
  // time and inode, in name order (nothing for a missing folder).
  StartPictureKey& addFolder(const QString& folder);
  // One file's size, modification time and inode (nothing for a missing file).
  StartPictureKey& addFileStamp(const QString& file);
  QByteArray digest() const;

 private:
  QCryptographicHash hash_{QCryptographicHash::Sha256};
};

class StartPicture {
 public:
  // file: empty keeps nothing.
  explicit StartPicture(QString file = {});

  // The picture stored under `key` (with its pixel ratio); nullopt when
  // there is none, another key's, or a damaged file.
  std::optional<QImage> load(const QByteArray& key) const;
  // Replaces the stored picture.
  void store(const QByteArray& key, const QImage& picture) const;

 private:
  QString file_;
};

}  // namespace hm
