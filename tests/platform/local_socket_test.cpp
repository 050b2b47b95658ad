// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/local_socket.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

namespace hm {
namespace {

class LocalSocket : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("hm_sock_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path() const { return (dir_ / "s").string(); }
  std::filesystem::path dir_;
};

bool waitReadable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 5000) == 1;
}

// A request answered as the running copy answers it, over a socket that
// replaced a dead run's file, only the user may use, and goes with its server.
TEST_F(LocalSocket, ARequestIsAnsweredOverAPrivateSocket) {
  std::ofstream(path()) << "left by an ended run";
  {
    LocalSocketServer server;
    ASSERT_TRUE(server.listen(path()));
    struct stat st {};
    ASSERT_EQ(::stat(path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1) << "no temporary name left";

    auto asked = std::async(std::launch::async, [&] { return askLocalSocket(path(), "activate t-9", 5000); });
    ASSERT_TRUE(waitReadable(server.fd()));
    Result<int> fd = server.accept();
    ASSERT_TRUE(fd && fd.value() >= 0);
    LocalConnection peer(fd.value());
    std::vector<std::string> lines;
    while (lines.empty() && waitReadable(peer.fd())) lines = peer.receive().lines;
    EXPECT_EQ(lines, std::vector<std::string>{"activate t-9"});
    ASSERT_TRUE(peer.send("ok\n"));
    const Result<std::string> answer = asked.get();
    ASSERT_TRUE(answer) << answer.error().text();
    EXPECT_EQ(answer.value(), "ok");
    // Nobody else waits.
    Result<int> none = server.accept();
    ASSERT_TRUE(none);
    EXPECT_EQ(none.value(), -1);
  }
  EXPECT_FALSE(std::filesystem::exists(path()));
}

// Lines arrive in pieces and together; too long a line or the peer's close
// ends the connection.
TEST(LocalConnection, CollectsLinesAndSeesTheEnd) {
  struct Case {
    const char* what;
    std::vector<std::string> writes;
    bool closeAfter;
    std::vector<std::string> lines;
    bool open;
  };
  const std::string tooLong(kMaxLocalLineBytes + 1, 'x');
  const Case cases[] = {
      {"two lines in one write", {"a b\nc\n"}, false, {"a b", "c"}, true},
      {"a line in pieces", {"acti", "vate t\n", "ne"}, false, {"activate t"}, true},
      {"closed after a line", {"x\n"}, true, {"x"}, false},
      {"closed mid-line", {"x"}, true, {}, false},
      {"too long a line", {tooLong}, false, {}, false},
  };
  for (const Case& c : cases) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    LocalConnection peer(fds[0]);
    std::vector<std::string> lines;
    bool open = true;
    for (const std::string& w : c.writes) {
      ASSERT_EQ(::write(fds[1], w.data(), w.size()), static_cast<ssize_t>(w.size()));
      const LocalConnection::Received got = peer.receive();
      lines.insert(lines.end(), got.lines.begin(), got.lines.end());
      open = open && got.open;
    }
    if (c.closeAfter) {
      ::close(fds[1]);
      fds[1] = -1;
      open = open && peer.receive().open;
    }
    EXPECT_EQ(lines, c.lines) << c.what;
    EXPECT_EQ(open, c.open) << c.what;
    if (fds[1] >= 0) ::close(fds[1]);
  }
}

// The asking side's failures name the call, the socket and errno.
TEST_F(LocalSocket, FailuresNameTheCall) {
  const Result<std::string> nobody = askLocalSocket(path(), "activate", 1000);
  ASSERT_FALSE(nobody);
  EXPECT_EQ(nobody.error(), (Error{"connect(" + path() + ")", ENOENT}));

  const std::string longPath = (dir_ / std::string(120, 'n')).string();
  EXPECT_EQ(askLocalSocket(longPath, "activate", 1000).error().code, ENAMETOOLONG);
  LocalSocketServer tooLong;
  EXPECT_EQ(tooLong.listen(longPath).code(), ENAMETOOLONG);

  // A listener that never answers: the wait ends.
  LocalSocketServer silent;
  ASSERT_TRUE(silent.listen(path()));
  const Result<std::string> unanswered = askLocalSocket(path(), "activate", 50);
  ASSERT_FALSE(unanswered);
  EXPECT_EQ(unanswered.error(), (Error{"recv(" + path() + ")", EAGAIN}));
}

}  // namespace
}  // namespace hm
