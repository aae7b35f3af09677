#include "platform/sys/module_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

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

}  // namespace
