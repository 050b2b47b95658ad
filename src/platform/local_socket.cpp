// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/local_socket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace hm {

namespace {

// The address of path; ENAMETOOLONG when it does not fit.
Result<sockaddr_un> addressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return Error{"socket address " + path, ENAMETOOLONG};
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

// Binds fd at path, given to the user alone, by way of a temporary name.
Status bindPrivately(int fd, const std::string& path) {
  const std::string temporary = path + "." + std::to_string(::getpid());
  Result<sockaddr_un> address = addressOf(temporary);
  if (!address) return address.status();
  ::unlink(temporary.c_str());
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address.value()), sizeof(sockaddr_un)) != 0)
    return Status::failure("bind(" + temporary + ")", errno);
  Status status;
  if (::chmod(temporary.c_str(), S_IRUSR | S_IWUSR) != 0)
    status = Status::failure("chmod(" + temporary + ")", errno);
  else if (::rename(temporary.c_str(), path.c_str()) != 0)
    status = Status::failure("rename(" + temporary + ")", errno);
  if (!status) ::unlink(temporary.c_str());
  return status;
}

// A timeout of 0 would mean none at all: the shortest is 1 ms.
bool setTimeout(int fd, int option, int timeoutMs) {
  if (timeoutMs < 1) timeoutMs = 1;
  timeval tv{};
  tv.tv_sec = timeoutMs / 1000;
  tv.tv_usec = static_cast<suseconds_t>(timeoutMs % 1000) * 1000;
  return ::setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv) == 0;
}

}  // namespace

LocalConnection::~LocalConnection() { ::close(fd_); }

LocalConnection::Received LocalConnection::receive() {
  Received got;
  char buffer[512];
  for (;;) {
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n <= 0) {
      got.open = false;
      break;
    }
    pending_.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
      got.lines.push_back(pending_.substr(0, end));
      pending_.erase(0, end + 1);
    }
    if (pending_.size() > kMaxLocalLineBytes) {
      got.open = false;
      break;
    }
  }
  return got;
}

Status LocalConnection::send(std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::send(fd_, text.data(), text.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::failure("send", errno);
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

LocalSocketServer::~LocalSocketServer() {
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlink(path_.c_str());
}

Status LocalSocketServer::listen(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return Status::failure("socket", errno);
  if (Result<sockaddr_un> address = addressOf(path); !address) {
    ::close(fd);
    return address.status();
  }
  // Only the lock's holder gets here: a socket file there is a dead run's.
  ::unlink(path.c_str());
  Status status = bindPrivately(fd, path);
  if (status && ::listen(fd, SOMAXCONN) != 0) {
    status = Status::failure("listen(" + path + ")", errno);
    ::unlink(path.c_str());
  }
  if (!status) {
    ::close(fd);
    return status;
  }
  fd_ = fd;
  path_ = path;
  return {};
}

Result<int> LocalSocketServer::accept() {
  for (;;) {
    const int peer = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (peer >= 0) return peer;
    if (errno == EINTR) continue;
    // A connection that went away before it was taken is no failure of ours.
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED) return -1;
    return Error{"accept(" + path_ + ")", errno};
  }
}

Result<std::string> askLocalSocket(const std::string& path, std::string_view line, int timeoutMs) {
  Result<sockaddr_un> address = addressOf(path);
  if (!address) return address.error();
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Error{"socket", errno};
  // The timeouts bound the blocking calls below; a connect waiting for room
  // in a full queue of the listener takes the send timeout.
  std::string answer;
  std::optional<Error> failure;
  if (!setTimeout(fd, SO_SNDTIMEO, timeoutMs) || !setTimeout(fd, SO_RCVTIMEO, timeoutMs)) {
    failure = Error{"setsockopt(" + path + ")", errno};
  } else if (::connect(fd, reinterpret_cast<const sockaddr*>(&address.value()), sizeof(sockaddr_un)) != 0) {
    failure = Error{"connect(" + path + ")", errno};
  } else {
    std::string request(line);
    request += '\n';
    std::string_view rest = request;
    while (!rest.empty() && !failure) {
      const ssize_t n = ::send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
      if (n < 0 && errno != EINTR) failure = Error{"send(" + path + ")", errno};
      if (n > 0) rest.remove_prefix(static_cast<std::size_t>(n));
    }
    while (!failure && answer.find('\n') == std::string::npos && answer.size() <= kMaxLocalLineBytes) {
      char buffer[256];
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) failure = Error{"recv(" + path + ")", errno};
      if (n <= 0) break;
      answer.append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  if (failure) return *failure;
  return answer.substr(0, answer.find('\n'));
}

}  // namespace hm
