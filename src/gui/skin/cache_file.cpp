// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/cache_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace hm {

namespace {

bool writeAll(int fd, const char* p, qsizetype n) {
  while (n > 0) {
    const ssize_t put = ::write(fd, p, static_cast<std::size_t>(n));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    n -= put;
  }
  return true;
}

}  // namespace

bool replaceCacheFile(const QString& file, std::initializer_list<QByteArrayView> parts) {
  const QString folder = QFileInfo(file).path();
  if (!QDir(folder).exists()) {
    if (!QDir().mkpath(folder)) return false;
    ::chmod(QFile::encodeName(folder).constData(), 0700);
  }
  QByteArray tmp = QFile::encodeName(file) + ".XXXXXX";
  const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool written = true;
  for (QByteArrayView part : parts) written = written && writeAll(fd, part.data(), part.size());
  if (::close(fd) == 0 && written && ::rename(tmp.constData(), QFile::encodeName(file).constData()) == 0)
    return true;
  ::unlink(tmp.constData());
  return false;
}

}  // namespace hm
