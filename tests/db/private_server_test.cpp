// scripts/db for a directory too deep for a socket path (at most 107 bytes): the socket goes
// into a private directory under /tmp, DIR/mysql.sock links to it, a client reaches the server
// through the link's target, stop takes down the server, the link and the directory, and a
// start again puts the socket at the same place.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/test_database.h"

namespace {

namespace fs = std::filesystem;

int RunScript(const std::string& action, const fs::path& dir, const fs::path& log) {
  const std::string command = "bash " + std::string(LAMP_SOURCE_DIR) + "/scripts/db " + action +
                              " " + dir.string() + " >> " + log.string() + " 2>&1";
  return std::system(command.c_str());
}

TEST(PrivateServer, ADirectoryTooDeepForASocketPathGetsALinkToAPrivateSocket) {
  const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
  const fs::path base = scratch != nullptr ? scratch : "/tmp/private_server_test";
  fs::remove_all(base);
  fs::create_directories(base);
  const fs::path log = base / "db.log";
  const std::string prefix = (base / "").string();
  const fs::path dir = prefix + std::string(prefix.size() < 150 ? 150 - prefix.size() : 1, 'd');
  ASSERT_GE(dir.string().size(), 150u);

  ASSERT_EQ(RunScript("start", dir, log), 0) << "log in " << log;
  // A failed expectation below must not leave the server running.
  struct StopAtExit {
    const fs::path& dir;
    const fs::path& log;
    ~StopAtExit() { RunScript("stop", dir, log); }
  } stop_at_exit{dir, log};
  const fs::path link = dir / "mysql.sock";
  ASSERT_TRUE(fs::is_symlink(link));
  const fs::path socket = fs::read_symlink(link);
  const fs::path private_dir = socket.parent_path();
  EXPECT_LT(socket.string().size(), 108u);
  EXPECT_EQ(private_dir.parent_path(), "/tmp");
  EXPECT_EQ(fs::status(private_dir).permissions(), fs::perms::owner_all);

  setenv("MYSQL_UNIX_PORT", socket.c_str(), 1);
  {
    lamptest::TestDatabase db;
    ASSERT_TRUE(db.connected()) << db.last_error();
    EXPECT_EQ(db.QueryValue("SELECT @@socket"), socket.string());
    EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM WORKER"), "0");  // the schema is loaded
  }

  EXPECT_EQ(RunScript("stop", dir, log), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  EXPECT_FALSE(fs::exists(private_dir));
  EXPECT_FALSE(lamptest::TestDatabase().connected());

  // A restarted server's socket is where its clients already look.
  ASSERT_EQ(RunScript("start", dir, log), 0) << "log in " << log;
  EXPECT_EQ(fs::read_symlink(link), socket);
  EXPECT_TRUE(lamptest::TestDatabase().connected());
}

}  // namespace
