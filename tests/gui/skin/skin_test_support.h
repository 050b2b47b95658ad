// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the skin tests: one QApplication for the whole test program, a
// temporary skin folder with solid-colour PNGs, and a sink that records
// messages.
#pragma once

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <string>
#include <utility>
#include <vector>

#include "core/settings/message_sink.h"
#include "support/qt_application.h"
#include "support/recording_sink.h"

namespace hm::test {

inline QApplication& app() { return application(); }

// A temporary skin folder; images are written on request.
class SkinDir {
 public:
  SkinDir() { app(); }
  QString path() const { return dir_.path(); }
  bool valid() const { return dir_.isValid(); }

  // A PNG filled with one colour; withAlpha writes an RGBA file with the
  // colour's straight alpha, otherwise an opaque RGB file.
  QString writeSolid(const QString& fileName, QSize size, QColor color, bool withAlpha) const {
    QImage img(size, withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    img.fill(withAlpha ? color : QColor(color.red(), color.green(), color.blue()));
    const QString p = path() + u'/' + fileName;
    img.save(p, "PNG");
    return p;
  }
  QString writeImage(const QString& fileName, const QImage& img) const {
    const QString p = path() + u'/' + fileName;
    img.save(p, "PNG");
    return p;
  }
  QString writeBytes(const QString& fileName, const QByteArray& bytes) const {
    const QString p = path() + u'/' + fileName;
    QFile f(p);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return p;
  }

 private:
  QTemporaryDir dir_;
};

// A canvas in the main window's format, filled with one colour.
inline QImage filledCanvas(QSize size, QColor color) {
  QImage c(size, QImage::Format_RGB32);
  c.fill(color);
  return c;
}

}  // namespace hm::test
