#include "platform/sys/process_scan.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/sys/module_path.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A program of our own under a unique path, so only the children of this test run it.
class ProcessScan : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
    fs::path dir = scratch != nullptr ? fs::path(scratch) : fs::temp_directory_path();
    dir /= "process_scan_" + std::to_string(getpid());
    fs::create_directories(dir);
    program_ = (dir / "sleeper").string();
    fs::copy_file("/bin/sleep", program_, fs::copy_options::overwrite_existing);
    program_ = fs::canonical(program_).string();
  }
  void TearDown() override {
    for (pid_t child : children_) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    fs::remove_all(fs::path(program_).parent_path());
  }
  pid_t StartCopy() {
    char arg0[] = "sleeper";
    char arg1[] = "30";
    char* argv[] = {arg0, arg1, nullptr};
    pid_t child = 0;
    EXPECT_EQ(posix_spawn(&child, program_.c_str(), nullptr, nullptr, argv, environ), 0);
    children_.push_back(child);
    return child;
  }
  void StopCopy(pid_t child) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::erase(children_, child);
  }

  std::string program_;
  std::vector<pid_t> children_;
};

TEST_F(ProcessScan, CountsEveryProcessOfTheSameExecutable) {
  EXPECT_EQ(sys::CountProcessesWithExecutable(program_), 0);
  pid_t first = StartCopy();
  EXPECT_EQ(sys::CountProcessesWithExecutable(program_), 1);
  StartCopy();
  EXPECT_EQ(sys::CountProcessesWithExecutable(program_), 2);
  StopCopy(first);
  EXPECT_EQ(sys::CountProcessesWithExecutable(program_), 1);
}

// The program was updated while a copy runs: that copy still counts for the path.
TEST_F(ProcessScan, CopyRunningFromAReplacedFileStillCounts) {
  StartCopy();
  fs::remove(program_);
  fs::copy_file("/bin/sleep", program_);
  EXPECT_EQ(sys::CountProcessesWithExecutable(program_), 1);
  StartCopy();
  EXPECT_EQ(sys::CountProcessesWithExecutable(program_), 2);
}

TEST_F(ProcessScan, PathMustMatchExactly) {
  StartCopy();
  std::string upper = program_;
  upper.back() = 'R';  // ".../sleepeR": another letter case is another program
  EXPECT_EQ(sys::CountProcessesWithExecutable(upper), 0);
  EXPECT_EQ(sys::CountProcessesWithExecutable(program_.substr(0, program_.size() - 1)), 0);
  EXPECT_EQ(sys::CountProcessesWithExecutable(""), 0);
}

TEST_F(ProcessScan, OwnProcessCountsOnce) {
  EXPECT_EQ(sys::CountRunningCopiesOfSelf(), 1);
  EXPECT_EQ(sys::CountProcessesWithExecutable(sys::ExecutablePath()), 1);
}

}  // namespace
