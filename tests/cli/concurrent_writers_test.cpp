// SPDX-License-Identifier: GPL-3.0-or-later
// Two hidmousectl runs that write the same data folder at the same moment:
// each waits for the other, so no update is lost and the three files never
// hold parts of two saves.
#include <sys/wait.h>

#include <string>
#include <vector>

#include "ctl_fixture.h"

namespace hm::test {
namespace {

constexpr int kRounds = 12;
// Two imports mixed their files in about one round in thirty without the
// lock: enough rounds that the mix shows.
constexpr int kImportRounds = 40;

class CtlConcurrent : public Ctl {
 protected:
  // Starts both commands at once and waits for both.
  void race(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const pid_t first = start(withData(a)), second = start(withData(b));
    for (const pid_t pid : {first, second}) {
      int status = 0;
      ::waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << a[0] << " / " << b[0];
    }
  }
  std::string get(const std::string& key) { return run(withData({"get", key})).out; }
};

TEST_F(CtlConcurrent, TwoWritersKeepBothChanges) {
  std::ofstream(data_ / "record.ini") << "[Keep]\nItemCount=0\n";
  const char* const rates[] = {"125", "500"};
  const char* const keys[] = {"F5", "F6"};
  const char* const lines[] = {"B   Dn", "C   Dn"};
  for (int round = 0; round < kRounds; ++round) {
    const std::string rate = rates[round % 2], key = keys[round % 2], line = lines[round % 2];
    race({"set", "rate", rate}, {"set", "button.a.4", "key", key});
    ASSERT_EQ(get("rate"), rate + "\n") << "round " << round;
    ASSERT_EQ(get("button.a.4"), "key " + key + "\n") << "round " << round;
    race({"macro", "set", "Keep", line}, {"set", "button.a.5", "key", key});
    ASSERT_EQ(get("button.a.5"), "key " + key + "\n") << "round " << round;
    ASSERT_EQ(run(withData({"macro", "show", "Keep"})).out.find(line) != std::string::npos, true)
        << "round " << round;
  }
}

TEST_F(CtlConcurrent, TwoImportsLeaveTheFilesOfOneDocument) {
  // Two documents that differ in all three files.
  std::vector<std::string> documents, setups;
  for (const char* rate : {"125", "1000"}) {
    ASSERT_EQ(run(withData({"set", "rate", rate})).rc, 0);
    ASSERT_EQ(run(withData({"set", "button.a.4", "key", rate[0] == '1' && rate[1] == '2' ? "F1" : "F2"})).rc,
              0);
    std::ofstream(data_ / "record.ini") << "[M" << rate << "]\nItemCount=0\n";
    const std::string doc = (dir_ / (std::string("setup-") + rate + ".json")).string();
    ASSERT_EQ(run(withData({"export", doc})).rc, 0);
    ASSERT_EQ(run(withData({"import", doc})).rc, 0);
    documents.push_back(doc);
    setups.push_back(files());
  }
  ASSERT_NE(setups[0], setups[1]);
  for (int round = 0; round < kImportRounds; ++round) {
    race({"import", documents[0]}, {"import", documents[1]});
    const std::string now = files();
    ASSERT_TRUE(now == setups[0] || now == setups[1]) << "round " << round << ": the files of two documents";
  }
}

}  // namespace
}  // namespace hm::test
