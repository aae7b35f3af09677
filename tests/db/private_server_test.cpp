// scripts/db on a scratch directory of its own: a start keeps the rows of "zuvurov" and only
// a fresh start empties them; for a directory too deep for a socket path (at most 107 bytes)
// the socket goes into a private directory under /tmp, DIR/mysql.sock links to it, a client
// reaches the server through the link's target, stop takes down the server, the link and the
// directory, and a start again puts the socket at the same place.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/command_output.h"
#include "tests/support/test_database.h"

namespace {

namespace fs = std::filesystem;

int RunScript(const std::string& action, const fs::path& dir, const fs::path& log) {
  const std::string command = "bash " + std::string(LAMP_SOURCE_DIR) + "/scripts/db " + action +
                              " " + dir.string() + " >> " + log.string() + " 2>&1";
  return std::system(command.c_str());
}

// A scratch directory of the test's own, empty; a short name keeps a socket path in it short.
fs::path TestScratch(const char* name) {
  const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
  const fs::path base = fs::path(scratch != nullptr ? scratch : "/tmp/private_server_test") / name;
  fs::remove_all(base);
  fs::create_directories(base);
  return base;
}

// A failed expectation must not leave the server running.
struct StopAtExit {
  const fs::path& dir;
  const fs::path& log;
  ~StopAtExit() { RunScript("stop", dir, log); }
};

// The output of one statement run by the SQL client of scripts/db, or "failed: ...". (The
// client library reads MYSQL_UNIX_PORT once per process, so this test leaves it to the other.)
std::string Sql(const fs::path& dir, const std::string& statement) {
  const std::string command = "bash " + std::string(LAMP_SOURCE_DIR) + "/scripts/db sql " +
                              dir.string() + " --batch --skip-column-names -e \"" + statement +
                              "\" 2>&1";
  lamptest::CommandRun run = lamptest::RunCommand(command);
  if (!run.output.empty() && run.output.back() == '\n') run.output.pop_back();
  return run.status == 0 ? run.output : "failed: " + run.output;
}

TEST(PrivateServer, AStartKeepsTheRowsAndOnlyAFreshStartEmptiesThem) {
  const fs::path base = TestScratch("rows");
  const fs::path log = base / "db.log";
  const fs::path dir = base / "db";
  ASSERT_EQ(RunScript("start", dir, log), 0) << "log in " << log;
  StopAtExit stop_at_exit{dir, log};
  const char* count = "SELECT COUNT(*) FROM WORKER";
  ASSERT_EQ(Sql(dir, count), "0");  // a new directory gets the schema
  ASSERT_EQ(Sql(dir, "INSERT INTO WORKER (TABNUM) VALUES ('010aaa'), ('011aaa')"), "");

  // A second start on the running server.
  ASSERT_EQ(RunScript("start", dir, log), 0) << "log in " << log;
  EXPECT_EQ(Sql(dir, count), "2");
  // A stop and a start.
  ASSERT_EQ(RunScript("stop", dir, log), 0);
  ASSERT_EQ(RunScript("start", dir, log), 0) << "log in " << log;
  EXPECT_EQ(Sql(dir, count), "2");
  // Asked for in so many words, on the running server and on a stopped one.
  ASSERT_EQ(RunScript("start --fresh", dir, log), 0) << "log in " << log;
  EXPECT_EQ(Sql(dir, count), "0");
  ASSERT_EQ(Sql(dir, "INSERT INTO WORKER (TABNUM) VALUES ('010aaa')"), "");
  ASSERT_EQ(RunScript("stop", dir, log), 0);
  ASSERT_EQ(RunScript("start --fresh", dir, log), 0) << "log in " << log;
  EXPECT_EQ(Sql(dir, count), "0");
  // No server, no client.
  ASSERT_EQ(RunScript("stop", dir, log), 0);
  EXPECT_TRUE(Sql(dir, count).starts_with("failed: scripts/db: no server of ")) << Sql(dir, count);
}

TEST(PrivateServer, ADirectoryTooDeepForASocketPathGetsALinkToAPrivateSocket) {
  const fs::path base = TestScratch("deep");
  const fs::path log = base / "db.log";
  const std::string prefix = (base / "").string();
  const fs::path dir = prefix + std::string(prefix.size() < 150 ? 150 - prefix.size() : 1, 'd');
  ASSERT_GE(dir.string().size(), 150u);

  ASSERT_EQ(RunScript("start", dir, log), 0) << "log in " << log;
  StopAtExit stop_at_exit{dir, log};
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
  // The SQL client of scripts/db finds the socket through the link.
  EXPECT_EQ(Sql(dir, "SELECT @@socket"), socket.string());

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
