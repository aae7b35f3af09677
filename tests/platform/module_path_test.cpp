#include "platform/sys/module_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

std::string RealExecutablePath() {
  char resolved[PATH_MAX];
  EXPECT_NE(realpath("/proc/self/exe", resolved), nullptr);
  return resolved;
}

TEST(ModulePath, FullPathOfTheRunningExecutable) {
  char buffer[4096];
  const std::uint32_t length = sys::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer), RealExecutablePath());
  EXPECT_EQ(length, std::strlen(buffer));
  EXPECT_EQ(buffer[0], '/');
}

TEST(ModulePath, ShortBufferIsCutAndTerminated) {
  const std::string full = sys::ExecutablePath();
  ASSERT_GT(full.size(), 8u);
  char buffer[9];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(sys::GetModuleFileNameA(nullptr, buffer, sizeof buffer), sizeof buffer);
  EXPECT_EQ(std::string(buffer), full.substr(0, 8));

  char none[1] = {'x'};
  EXPECT_EQ(sys::GetModuleFileNameA(nullptr, none, 0), 0u);
  EXPECT_EQ(none[0], 'x');
}

TEST(ModulePath, DirectoryRuleCutsAfterTheLastSlash) {
  struct Case {
    const char* path;
    const char* prefix;
  };
  const Case cases[] = {
      {"/opt/lamp/bin/tolvex", "/opt/lamp/bin/"},
      {"/tolvex", "/"},
      {"tolvex", ""},  // no directory part: the current directory
      {"a/", "a/"},    // two characters or fewer stay as they are
      {"ab", "ab"},
      {"", ""},
      {"/opt/my dir/x", "/opt/my dir/"},
      {"C:\\lamp\\tolvex", ""},  // '\' and ':' are ordinary characters here
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sys::DirectoryPrefix(c.path), c.prefix) << c.path;
  }
}

TEST(ModulePath, FileBesideTheExecutable) {
  const std::string full = RealExecutablePath();
  const std::string directory = full.substr(0, full.rfind('/') + 1);
  EXPECT_EQ(sys::PathBesideExecutable("hostab.txt"), directory + "hostab.txt");
}

// Run as a child by the test below: waits until its own file has been replaced, then writes
// the path it reports.
TEST(ModulePath, ReportsItsPathWhenAsked) {
  const char* go = std::getenv("LAMP_MODULE_PATH_GO");
  const char* out = std::getenv("LAMP_MODULE_PATH_OUT");
  if (go == nullptr || out == nullptr) GTEST_SKIP() << "only run as a child";
  for (int i = 0; i < 500 && !std::filesystem::exists(go); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::ofstream(out) << sys::ExecutablePath();
}

TEST(ModulePath, PathStaysAfterTheFileIsReplaced) {
  namespace fs = std::filesystem;
  const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
  fs::path dir = scratch != nullptr ? fs::path(scratch) : fs::temp_directory_path();
  dir /= "module_path_" + std::to_string(getpid());
  fs::create_directories(dir);
  const fs::path copy = dir / "program";
  fs::copy_file(sys::ExecutablePath(), copy, fs::copy_options::overwrite_existing);
  const std::string go = "LAMP_MODULE_PATH_GO=" + (dir / "go").string();
  const std::string out = "LAMP_MODULE_PATH_OUT=" + (dir / "out").string();
  std::vector<char*> env;
  for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
  env.push_back(const_cast<char*>(go.c_str()));
  env.push_back(const_cast<char*>(out.c_str()));
  env.push_back(nullptr);
  std::string filter = "--gtest_filter=ModulePath.ReportsItsPathWhenAsked";
  char* argv[] = {const_cast<char*>(copy.c_str()), filter.data(), nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, copy.c_str(), nullptr, nullptr, argv, env.data()), 0);
  // The program is updated while it runs.
  fs::remove(copy);
  fs::copy_file("/bin/true", copy);
  std::ofstream(dir / "go") << "go";
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::ifstream in(dir / "out");
  std::string reported;
  std::getline(in, reported);
  EXPECT_EQ(reported, copy.string());
  fs::remove_all(dir);
}

}  // namespace
