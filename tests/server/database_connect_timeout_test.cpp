// A database host that does not answer: the server's connect gives up after its timeout and
// is listed like any failed connect, instead of holding the program up for minutes.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/database_options.h"
#include "server/database_connection.h"
#include "server/error_window.h"

namespace {

// Far past the connect timeout and the margin the test allows it.
constexpr unsigned kGiveUpSeconds = 90;

// A TCP port on 127.0.0.1 whose listener never takes a connection and whose queue is full:
// the system drops every further connect attempt without an answer, as from a host that is
// down.
class HostThatDropsConnects {
 public:
  HostThatDropsConnects() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    if (bind(listener_, any, sizeof address) != 0 || listen(listener_, 0) != 0 ||
        getsockname(listener_, any, &length) != 0) {
      return;
    }
    // A queue of length 0 holds one connection: this one.
    if (connect(filler_, any, sizeof address) != 0) return;
    port_ = ntohs(address.sin_port);
  }
  ~HostThatDropsConnects() {
    close(filler_);
    close(listener_);
  }
  HostThatDropsConnects(const HostThatDropsConnects&) = delete;
  HostThatDropsConnects& operator=(const HostThatDropsConnects&) = delete;

  // 0 when the port could not be prepared.
  int port() const { return port_; }

 private:
  int listener_ = socket(AF_INET, SOCK_STREAM, 0);
  int filler_ = socket(AF_INET, SOCK_STREAM, 0);
  int port_ = 0;
};

TEST(DatabaseConnectTimeout, AHostThatDoesNotAnswerFailsAfterTheConnectTimeout) {
  HostThatDropsConnects host;
  ASSERT_NE(host.port(), 0);
  // With port 0 the client library connects to the port in MYSQL_TCP_PORT, which it reads
  // at its first use in the process: here.
  setenv("MYSQL_TCP_PORT", std::to_string(host.port()).c_str(), 1);
  tolvex::TFormERR window;

  // Should the connect wait without a limit, the alarm ends the test rather than let it hang.
  alarm(kGiveUpSeconds);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(tolvex::ConnectDatabase("127.0.0.1", "root", "q758"), 1);
  const auto waited = std::chrono::steady_clock::now() - start;
  alarm(0);

  // Without a connect timeout the system gives up only after about two minutes.
  EXPECT_LT(waited, std::chrono::seconds(lamp::kDatabaseConnectTimeoutSeconds + 25));
  EXPECT_EQ(tolvex::DatabaseHandle, nullptr);
  EXPECT_EQ(window.ListBox1.Items().Items(),
            (std::vector<std::string>{"Error kod= 1 (1)", "connect ERR", ""}));
  EXPECT_TRUE(window.Visible());
  // The connect's try, should the wait have been up first, ends by itself.
  tolvex::WaitForDatabaseTry();
  tolvex::CloseDatabase();
}

}  // namespace
