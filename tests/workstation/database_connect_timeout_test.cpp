// A local database server that takes the connection and never answers: the workstation's
// connect gives up after its timeout and reports a failed connect, instead of holding the
// program up for good.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "link/database_options.h"
#include "platform/forms/application.h"
#include "workstation/connect_window.h"
#include "workstation/database_client.h"

namespace {

// Far past the connect timeout and the margin the test allows it.
constexpr unsigned kGiveUpSeconds = 90;

// A Unix socket that is listened on and never accepted from: a connect to it succeeds, and
// the server's greeting never comes.
class SilentLocalServer {
 public:
  SilentLocalServer()
      : path_(std::filesystem::temp_directory_path() /
              ("lamp-silent-" + std::to_string(getpid()) + ".sock")) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path_.string();
    if (text.size() >= sizeof address.sun_path) return;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    std::filesystem::remove(path_);
    listening_ = bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 listen(listener_, 8) == 0;
  }
  ~SilentLocalServer() {
    close(listener_);
    std::filesystem::remove(path_);
  }
  SilentLocalServer(const SilentLocalServer&) = delete;
  SilentLocalServer& operator=(const SilentLocalServer&) = delete;

  bool listening() const { return listening_; }
  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
  int listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
  bool listening_ = false;
};

TEST(DatabaseConnectTimeout, ALocalServerThatNeverAnswersFailsAfterTheConnectTimeout) {
  SilentLocalServer server;
  ASSERT_TRUE(server.listening()) << server.path();
  // The workstation reaches the local server at the socket in MYSQL_UNIX_PORT, which the
  // client library reads at its first use in the process: here.
  setenv("MYSQL_UNIX_PORT", server.path().c_str(), 1);
  forms::Application().UseManualClock();
  forms::ScriptedDialogService dialogs;
  forms::Application().SetDialogService(&dialogs);
  lumora::TFormSQL connect;
  connect.ConnectHandlers();
  connect.EditU.SetText("root");
  connect.EditP.SetText("q758");

  // Should the connect wait without a limit, the alarm ends the test rather than let it hang.
  alarm(kGiveUpSeconds);
  const auto start = std::chrono::steady_clock::now();
  connect.BitBtn1.Click();
  const auto waited = std::chrono::steady_clock::now() - start;
  alarm(0);

  // Without a connect timeout the wait for the greeting has no end.
  EXPECT_LT(waited, std::chrono::seconds(lamp::kDatabaseConnectTimeoutSeconds + 25));
  EXPECT_EQ(lumora::DbConnection, nullptr);
  EXPECT_EQ(connect.Edit3.Text(), lumora::kConnectErrorText);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, lumora::kCannotConnectText);
  forms::Application().SetDialogService(nullptr);
  // The connect's try, should the wait have been up first, ends by itself.
  lumora::WaitForDbConnectionTry();
  lumora::CloseDbConnection();
}

}  // namespace
