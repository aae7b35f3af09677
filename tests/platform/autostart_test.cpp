#include "platform/sys/autostart.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;

class AutoStart : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
    root_ = scratch != nullptr ? fs::path(scratch) : fs::temp_directory_path();
    root_ /= "autostart_" + std::to_string(getpid());
    fs::remove_all(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  static std::string FileText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  fs::path root_;
};

TEST_F(AutoStart, WriteDeleteReadBack) {
  // The directory does not exist yet: writing creates it.
  sys::AutoStartEntries entries((root_ / "xdg" / "autostart").string());
  EXPECT_EQ(entries.Read("ToLVEX"), "");
  ASSERT_TRUE(entries.Write("ToLVEX", "/opt/lamp/bin/tolvex"));
  EXPECT_EQ(entries.EntryPath("ToLVEX"), (root_ / "xdg" / "autostart" / "ToLVEX.desktop").string());
  EXPECT_EQ(entries.Read("ToLVEX"), "/opt/lamp/bin/tolvex");

  // Every user's session reads the entry.
  EXPECT_EQ(fs::status(entries.EntryPath("ToLVEX")).permissions(),
            static_cast<fs::perms>(0666 & ~lamptest::CurrentUmask()));
  const std::string text = FileText(entries.EntryPath("ToLVEX"));
  {
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nName=ToLVEX\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=/opt/lamp/bin/tolvex\n"), std::string::npos);
  }

  // Writing again replaces the command (the program was moved).
  ASSERT_TRUE(entries.Write("ToLVEX", "/srv/tolvex"));
  EXPECT_EQ(entries.Read("ToLVEX"), "/srv/tolvex");

  EXPECT_TRUE(entries.Delete("ToLVEX"));
  EXPECT_FALSE(fs::exists(entries.EntryPath("ToLVEX")));
  EXPECT_EQ(entries.Read("ToLVEX"), "");
  EXPECT_TRUE(entries.Delete("ToLVEX"));  // nothing left to delete is no failure
  // Only the entry itself was ever in the directory: no temporary file stays behind.
  EXPECT_TRUE(fs::is_empty(entries.Directory()));
}

TEST_F(AutoStart, PathsWithReservedCharactersSurviveTheRoundTrip) {
  sys::AutoStartEntries entries(root_.string());
  const char* paths[] = {"/opt/lamp room/tolvex", "/opt/100%/tolvex", "/opt/a\"b$c`d\\e/tolvex",
                         "/opt/x;y/tolvex"};
  for (const char* path : paths) {
    ASSERT_TRUE(entries.Write("ToLVEX", path));
    EXPECT_EQ(entries.Read("ToLVEX"), path);
  }
  ASSERT_TRUE(entries.Write("ToLVEX", "/opt/lamp room/tolvex"));
  EXPECT_NE(FileText(entries.EntryPath("ToLVEX")).find("Exec=\"/opt/lamp room/tolvex\"\n"),
            std::string::npos);
}

TEST_F(AutoStart, ReadsOnlyTheMainGroupsCommand) {
  fs::create_directories(root_);
  std::ofstream(root_ / "ToLVEX.desktop") << "[Desktop Entry]\r\nName=ToLVEX\r\nExec = /a/b\r\n"
                                          << "[Desktop Action x]\nExec=/other\n";
  std::ofstream(root_ / "Other.desktop") << "[Desktop Action x]\nExec=/other\n";
  sys::AutoStartEntries entries(root_.string());
  EXPECT_EQ(entries.Read("ToLVEX"), "/a/b");
  EXPECT_EQ(entries.Read("Other"), "");
}

TEST(DesktopEntry, ExecOfTheText) {
  struct Case {
    const char* text;
    const char* exec;
  };
  const Case cases[] = {
      {"[Desktop Entry]\nExec=/a/b", "/a/b"},  // no final line break
      {"[Desktop Entry]\nExec=\"/a b/c\"\n", "/a b/c"},
      {"[Desktop Entry]\nExec=/a\\sb\n", "/a b"},  // escaped blank
      {"[Desktop Entry]\nExec=/100%%\n", "/100%"},
      {"[Desktop Entry]\nExec=\"/unterminated\n", "/unterminated"},
      {"Exec=/outside/any/group\n", ""},
      {"[Desktop Entry]\nExecutable=/x\nName=y\n", ""},
      {"", ""},
      {"[Desktop Entry]\nExec=\n", ""},
      {"[Desktop Entry]\nExec=\"\\", "\\"},  // a dangling escape stays as it is
  };
  for (const Case& c : cases) EXPECT_EQ(sys::DesktopEntryExec(c.text), c.exec) << c.text;
}

TEST_F(AutoStart, UnwritableDirectoryIsReported) {
  fs::create_directories(root_);
  std::ofstream(root_ / "file") << "x";
  sys::AutoStartEntries entries((root_ / "file").string());  // a file, not a directory
  EXPECT_FALSE(entries.Write("ToLVEX", "/opt/tolvex"));
  EXPECT_EQ(entries.Read("ToLVEX"), "");
}

}  // namespace
