#include "tests/support/database_host_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

namespace lamptest {

namespace {

// How often the relay looks for a change of mode while nothing moves.
constexpr int kPollMs = 10;

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

bool WriteAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = send(fd, bytes, size, MSG_NOSIGNAL);
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

DatabaseHostProxy::DatabaseHostProxy(std::string socket_path)
    : socket_path_(std::move(socket_path)) {
  OpenListener(16);
  if (listener_ < 0) return;
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return;
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
}

DatabaseHostProxy::~DatabaseHostProxy() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  if (thread_.joinable()) thread_.join();
  CloseAll();
}

void DatabaseHostProxy::Answer() {
  SetMode(Mode::kAnswer);
}

void DatabaseHostProxy::FallSilent() {
  SetMode(Mode::kSilent);
}

void DatabaseHostProxy::Refuse() {
  SetMode(Mode::kRefuse);
}

void DatabaseHostProxy::AnswerSlowly(std::chrono::milliseconds step) {
  SetMode(Mode::kSlow, step);
}

void DatabaseHostProxy::SetMode(Mode mode, std::chrono::milliseconds slow_step) {
  std::unique_lock<std::mutex> lock(mutex_);
  wanted_ = mode;
  slow_step_ = slow_step;
  // The relay takes the change over within one look; it then reports it.
  changed_.wait(lock, [this, mode] { return mode_ == mode || port_ == 0; });
}

void DatabaseHostProxy::OpenListener(int backlog) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) return;
  const int on = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  const sockaddr_in address = LoopbackAddress(port_);
  if (bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, backlog) != 0) {
    CloseFd(listener_);
  }
}

void DatabaseHostProxy::CloseAll() {
  CloseConnections();
  CloseFd(filler_);
  CloseFd(listener_);
}

void DatabaseHostProxy::CloseConnections() {
  for (Pair& pair : pairs_) {
    CloseFd(pair.client);
    CloseFd(pair.server);
  }
  pairs_.clear();
}

void DatabaseHostProxy::Apply(Mode mode) {
  // A silent host keeps its connections open: what is waited for on them never comes.
  if (mode != Mode::kSilent) CloseConnections();
  CloseFd(filler_);
  CloseFd(listener_);
  if (mode == Mode::kAnswer || mode == Mode::kSlow) OpenListener(16);
  if (mode == Mode::kSilent) {
    // A queue of length 0 holds one connection, the filler's: the system drops every
    // further connect attempt without an answer.
    OpenListener(0);
    filler_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = LoopbackAddress(port_);
    connect(filler_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  mode_ = mode;
  changed_.notify_all();
}

void DatabaseHostProxy::AcceptOne() {
  const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (client < 0) return;
  const int server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket_path_.c_str(), sizeof address.sun_path - 1);
  if (server < 0 ||
      connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(client);
    if (server >= 0) close(server);
    return;
  }
  Pair pair{client, server};
  if (mode_ == Mode::kSlow) {
    std::chrono::milliseconds step;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      step = slow_step_;
    }
    const Time now = std::chrono::steady_clock::now();
    pair.server_from = now + step;
    pair.client_from = now + 2 * step;
  }
  pairs_.push_back(pair);
}

void DatabaseHostProxy::Relay(std::size_t pair_index, bool from_client) {
  Pair& pair = pairs_[pair_index];
  char bytes[65536];
  const int from = from_client ? pair.client : pair.server;
  const int to = from_client ? pair.server : pair.client;
  const ssize_t got = recv(from, bytes, sizeof bytes, 0);
  if (got > 0 && WriteAll(to, bytes, static_cast<std::size_t>(got))) return;
  CloseFd(pair.client);
  CloseFd(pair.server);
}

void DatabaseHostProxy::Run() {
  for (;;) {
    Mode wanted;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) return;
      wanted = wanted_;
    }
    if (wanted != mode_) Apply(wanted);

    std::vector<pollfd> fds;
    if (mode_ == Mode::kAnswer || mode_ == Mode::kSlow) {
      if (listener_ >= 0) fds.push_back({listener_, POLLIN, 0});
      // A side whose time has not come is left out (fd -1), its bytes kept for later.
      const Time now = std::chrono::steady_clock::now();
      for (const Pair& pair : pairs_) {
        fds.push_back({now >= pair.client_from ? pair.client : -1, POLLIN, 0});
        fds.push_back({now >= pair.server_from ? pair.server : -1, POLLIN, 0});
      }
    }
    if (poll(fds.data(), fds.size(), kPollMs) <= 0) continue;
    std::size_t next = 0;
    if (listener_ >= 0 && (fds[next++].revents & POLLIN) != 0) AcceptOne();
    const std::size_t pair_count = (fds.size() - next) / 2;
    for (std::size_t i = 0; i < pair_count; ++i) {
      if ((fds[next + 2 * i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) Relay(i, true);
      if (pairs_[i].client >= 0 &&
          (fds[next + 2 * i + 1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        Relay(i, false);
      }
    }
    std::erase_if(pairs_, [](const Pair& pair) { return pair.client < 0; });
  }
}

DatabaseHostProxy& PrivateServerHost() {
  static DatabaseHostProxy host(std::getenv("MYSQL_UNIX_PORT") != nullptr
                                    ? std::getenv("MYSQL_UNIX_PORT")
                                    : LAMP_TEST_DB_SOCKET);
  static const bool port_set =
      setenv("MYSQL_TCP_PORT", std::to_string(host.port()).c_str(), 1) == 0;
  static_cast<void>(port_set);
  return host;
}

}  // namespace lamptest
