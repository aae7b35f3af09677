// The receive socket over loopback in virtual time: the delayed open, the drain of every
// waiting datagram in one tick and where a drain ends, the reopen after 13 s of silence, and
// a failed bind.
#include "workstation/receive_socket.h"

#include <filesystem>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "tests/workstation/cell_table_fixture.h"
#include "tests/workstation/link_peer.h"
#include "workstation/cell_table.h"
#include "workstation/command_sender.h"
#include "workstation/traffic_window.h"

namespace {

using namespace lumora;
using link_test::Bytes;

// A port that was free a moment ago.
std::uint16_t FreePort() {
  link_test::UdpPeer probe;
  return probe.port();
}

std::size_t OpenDescriptors() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++n;
  }
  return n;
}

Bytes CellStatus(const char* number) {
  lamp::StatusDatagram d;
  d.set_id(lamp::IdCellStatus);
  d.set_ind_num_text(number);
  d.set_state(4);
  return Bytes(d.bytes.begin(), d.bytes.end());
}

class ReceiveSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cell_table_test::StartTablesWithWorkers({{"010aaa", 1}});
    ReceiveSocketState = kSocketNotBound;
    ReceiveSocket = wsock::INVALID_SOCKET;
    LinkSilenceCount = 0;
    ReceiveEndpoints = LinkEndpoints{"127.0.0.1", FreePort(), "127.0.0.1", server_.port()};
    traffic_.ConnectHandlers();
    traffic_.CheckNN.SetChecked(true);
  }

  void TearDown() override {
    if (ReceiveSocket != wsock::INVALID_SOCKET) wsock::closesocket(ReceiveSocket);
    ReceiveSocket = wsock::INVALID_SOCKET;
    ReceiveSocketState = kSocketNotBound;
  }

  void SendToWorkstation(const Bytes& bytes) {
    server_.SendTo(ReceiveSocketLocalPort(), bytes);
    ASSERT_TRUE(link_test::WaitReadable(ReceiveSocket));
  }

  void Advance(std::int64_t ms) { forms::Application().AdvanceTime(ms); }

  link_test::ManualClockFirst clock_;
  link_test::UdpPeer server_;
  TFormSV traffic_;
};

TEST_F(ReceiveSocketTest, TrafficWindowStartsHiddenWithItsBoxesTimersAndClearButton) {
  EXPECT_EQ(traffic_.Caption(), "Serv");
  EXPECT_FALSE(traffic_.Visible());
  struct Box {
    const forms::TCheckBox& box;
    const char* caption;
  };
  const Box boxes[] = {{traffic_.CheckLOG, "ALL LOG"}, {traffic_.Check2, "k92"},
                       {traffic_.Check3, "PNG"},       {traffic_.Check4, "BATT"},
                       {traffic_.Check5, "Check5"}};
  for (const Box& b : boxes) {
    EXPECT_EQ(b.box.Caption(), b.caption);
    EXPECT_FALSE(b.box.Checked()) << b.caption;
  }
  EXPECT_EQ(traffic_.CheckNN.Caption(), "NN");  // the fixture ticks this one
  EXPECT_EQ(traffic_.TimerST.Interval(), 500);
  EXPECT_EQ(traffic_.Timer1.Interval(), 20);
  EXPECT_EQ(traffic_.Timer2.Interval(), 1000);
  EXPECT_TRUE(traffic_.TimerST.Enabled());
  EXPECT_EQ(traffic_.BitBtn1.Caption(), "C");
  traffic_.ListBox1.Items().Add("line");
  traffic_.BitBtn1.Click();
  EXPECT_EQ(traffic_.ListBox1.Items().Count(), 0);
}

TEST_F(ReceiveSocketTest, OpensHalfASecondAfterStartThenStopsTheOpenTimer) {
  Advance(499);
  EXPECT_EQ(ReceiveSocketState, kSocketNotBound);
  Advance(1);
  EXPECT_EQ(ReceiveSocketState, kSocketBound);
  EXPECT_EQ(ReceiveSocketLocalPort(), ReceiveEndpoints.bind_port);
  EXPECT_FALSE(traffic_.TimerST.Enabled());
}

TEST_F(ReceiveSocketTest, OneTickDrainsEveryWaitingDatagram) {
  Advance(500);
  for (int i = 0; i < 5; ++i) server_.SendTo(ReceiveSocketLocalPort(), CellStatus("010aaa"));
  server_.SendTo(ReceiveSocketLocalPort(), Bytes(7, 1));
  // Loopback delivers within the send; the short wait only guards a busy machine.
  ASSERT_TRUE(link_test::WaitReadable(ReceiveSocket));
  ::usleep(20000);
  Advance(20);
  EXPECT_EQ(CellTable.datagram_count[0], 5);
  EXPECT_EQ(traffic_.ListBox1.Items().Count(), 6);
  EXPECT_EQ(traffic_.ListBox1.Items().Get(5), "nn= 7 ");
}

// A datagram the receive gives nothing for, an empty one or one over the receive limit, is
// taken and dropped and ends that tick's drain; what follows it waits for the next tick.
TEST_F(ReceiveSocketTest, ADatagramThatGivesNothingEndsTheTicksDrain) {
  Advance(500);
  const Bytes blockers[] = {Bytes{}, Bytes(kReceiveLimitBytes + 1, 1)};
  for (const Bytes& blocker : blockers) {
    SCOPED_TRACE(blocker.size());
    CellTable.datagram_count[0] = 0;
    traffic_.ListBox1.Items().Clear();
    LinkSilenceCount = 5;
    server_.SendTo(ReceiveSocketLocalPort(), blocker);
    server_.SendTo(ReceiveSocketLocalPort(), CellStatus("010aaa"));
    ASSERT_TRUE(link_test::WaitReadable(ReceiveSocket));
    ::usleep(20000);
    Advance(20);
    EXPECT_EQ(CellTable.datagram_count[0], 0);
    EXPECT_EQ(traffic_.ListBox1.Items().Count(), 0);
    EXPECT_EQ(LinkSilenceCount, 5);
    Advance(20);
    EXPECT_EQ(CellTable.datagram_count[0], 1);
    EXPECT_EQ(traffic_.ListBox1.Items().Count(), 1);
    EXPECT_EQ(LinkSilenceCount, 0);
  }
}

TEST_F(ReceiveSocketTest, ThirteenSilentSecondsReopenTheSocket) {
  Advance(500);
  const std::uint16_t second_port = FreePort();
  ReceiveEndpoints.bind_port = second_port;
  Advance(12000);  // 12.5 s: twelve supervision ticks
  EXPECT_EQ(LinkSilenceCount, 12);
  EXPECT_FALSE(traffic_.TimerST.Enabled());
  Advance(500);  // the thirteenth
  EXPECT_EQ(LinkSilenceCount, 0);
  EXPECT_TRUE(traffic_.TimerST.Enabled());
  Advance(500);
  EXPECT_FALSE(traffic_.TimerST.Enabled());
  EXPECT_EQ(ReceiveSocketState, kSocketBound);
  EXPECT_EQ(ReceiveSocketLocalPort(), second_port);
}

TEST_F(ReceiveSocketTest, ADatagramRestartsTheSilenceCount) {
  Advance(500);
  Advance(12000);
  SendToWorkstation(CellStatus("010aaa"));
  Advance(20);
  EXPECT_EQ(LinkSilenceCount, 0);
  Advance(1000);
  EXPECT_EQ(LinkSilenceCount, 1);
  EXPECT_FALSE(traffic_.TimerST.Enabled());
  Advance(11500);  // thirteen ticks after the datagram
  EXPECT_TRUE(traffic_.TimerST.Enabled());
}

TEST_F(ReceiveSocketTest, AFailedBindReadsNothingButStillSendsAndDoesNotLeak) {
  std::optional<link_test::UdpPeer> occupant;
  occupant.emplace();
  const std::uint16_t port = occupant->port();
  ReceiveEndpoints.bind_port = port;
  Advance(500);
  EXPECT_EQ(ReceiveSocketState, kSocketNotBound);
  EXPECT_EQ(ReceiveSocketLocalPort(), 0);
  // Commands still leave from the unbound socket; the server does not look at the sender.
  SendCommandParams(CmdStart, kTargetCell, "010aaa", 0, 0, 0);
  EXPECT_TRUE(server_.Receive().has_value());
  Advance(20);
  EXPECT_EQ(CellTable.datagram_count[0], 0);
  // Retries every 13 s keep one descriptor, not one per attempt.
  const std::size_t before = OpenDescriptors();
  Advance(13000 * 5);
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_EQ(ReceiveSocketState, kSocketNotBound);
  // Once the port is free the next attempt binds.
  occupant.reset();
  Advance(13500);
  EXPECT_EQ(ReceiveSocketState, kSocketBound);
}

}  // namespace
