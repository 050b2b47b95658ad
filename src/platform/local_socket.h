// SPDX-License-Identifier: GPL-3.0-or-later
// A local stream socket (AF_UNIX) that carries one-line requests and one-line
// answers between two processes of one user: the running copy listens beside
// its single-instance lock, and a second start asks it to show its window.
//
// The listening side never blocks: the caller watches fd() of the server and
// of each connection for readability (the toolkit's event loop) and then calls
// accept() or receive(). The asking side blocks, each step at most a timeout.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"

namespace hm {

// A request line longer than this ends its connection: only short words and
// tokens travel here.
inline constexpr std::size_t kMaxLocalLineBytes = 4096;

// One accepted connection.
class LocalConnection {
 public:
  explicit LocalConnection(int fd) : fd_(fd) {}
  ~LocalConnection();
  LocalConnection(const LocalConnection&) = delete;
  LocalConnection& operator=(const LocalConnection&) = delete;

  int fd() const { return fd_; }

  struct Received {
    std::vector<std::string> lines;  // complete lines, without their '\n'
    bool open = true;                // false: the peer closed, failed or sent too long a line
  };
  // Everything that has arrived, without waiting. A line's start that has
  // arrived without its end is kept for the next call.
  Received receive();
  // Writes text without waiting (and without SIGPIPE when the peer is gone).
  Status send(std::string_view text);

 private:
  int fd_;
  std::string pending_;
};

// The listening side.
class LocalSocketServer {
 public:
  LocalSocketServer() = default;
  // Stops listening and removes the socket file.
  ~LocalSocketServer();
  LocalSocketServer(const LocalSocketServer&) = delete;
  LocalSocketServer& operator=(const LocalSocketServer&) = delete;

  // Listens at path, replacing what is there (a socket left by an ended
  // run: only the single-instance lock's holder listens). The socket file
  // is made under a temporary name, given to the user alone (mode 0600) and
  // only then renamed to path, so nobody else can ever connect.
  Status listen(const std::string& path);
  int fd() const { return fd_; }
  // The next waiting connection; an fd of -1 when none waits.
  Result<int> accept();

 private:
  int fd_ = -1;
  std::string path_;
};

// Connects to the socket at path, sends line + '\n' and returns the first
// line of the answer (without its '\n'; empty when the peer closed without
// one). Connecting, sending and receiving each wait at most timeoutMs.
Result<std::string> askLocalSocket(const std::string& path, std::string_view line, int timeoutMs);

}  // namespace hm
