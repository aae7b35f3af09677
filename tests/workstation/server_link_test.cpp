// The two ends of the workstation link together over loopback: the server's senders and
// command parser against the workstation's decoder and command builders, so both sides
// agree on every field they share.
#include <sys/socket.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/mode_record.h"
#include "server/station_frame.h"
#include "server/workstation_link.h"
#include "server/workstation_socket.h"
#include "tests/workstation/cell_table_fixture.h"
#include "tests/workstation/link_peer.h"
#include "workstation/battery_editor.h"
#include "workstation/cell_table.h"
#include "workstation/command_sender.h"
#include "workstation/datagram_decoder.h"
#include "workstation/device_number_tool.h"
#include "workstation/lamp_card.h"
#include "workstation/live_events_window.h"
#include "workstation/receive_socket.h"
#include "workstation/traffic_window.h"

namespace {

class ServerLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cell_table_test::StartTablesWithWorkers({{"001aaa", 1}, {"010aaa", 1}});
    lumora::CommandBuffer = lamp::CommandDatagram{};
    lumora::PendingCommand = lumora::PendingLampCommand{};
    lumora::LampCommandTries = lumora::LampCommandWait = lumora::LampMessageHold = 0;
    lumora::ModeReadWindow = 0;
    lumora::NumberAnswerLatch = lumora::kLatchNone;
    events_.Timer1Timer();

    lumora::ReceiveEndpoints = lumora::LinkEndpoints{"127.0.0.1", 0, "127.0.0.1", 0};
    lumora::OpenReceiveSocket();
    ASSERT_EQ(lumora::ReceiveSocketState, lumora::kSocketBound);
    tolvex::MonitorEndpoints =
        tolvex::WorkstationEndpoints{"127.0.0.1", 0, "127.0.0.1", lumora::ReceiveSocketLocalPort()};
    ASSERT_EQ(tolvex::OpenMonitorSocket(), 0);
    lumora::ReceiveEndpoints.server_port = tolvex::MonitorSocketLocalPort();
    tolvex::PendingStationCommand = tolvex::PendingStationCommandSlot{};
    tolvex::StatusDatagramBuffer = lamp::StatusDatagram{};
    tolvex::BatteryDatagramBuffer = lamp::BatteryDatagram{};
  }

  void TearDown() override {
    wsock::closesocket(lumora::ReceiveSocket);
    lumora::ReceiveSocket = wsock::INVALID_SOCKET;
    lumora::ReceiveSocketState = lumora::kSocketNotBound;
    if (tolvex::MonitorSocket.open) wsock::closesocket(tolvex::MonitorSocket.handle);
    tolvex::MonitorSocket = tolvex::MonitorSocketState{};
  }

  // The workstation's receive tick, once the server's datagram has arrived.
  void WorkstationTick() {
    ASSERT_TRUE(link_test::WaitReadable(lumora::ReceiveSocket));
    lumora::DrainReceiveSocket();
  }

  // The server takes one datagram from its workstation socket, as its receive tick does.
  void ServerTakes() {
    ASSERT_TRUE(link_test::WaitReadable(tolvex::MonitorSocket.handle));
    std::uint8_t bytes[2000];
    const ssize_t n = ::recv(tolvex::MonitorSocket.handle, bytes, sizeof bytes, 0);
    ASSERT_GT(n, 0);
    tolvex::ParseCommandDatagram(static_cast<int>(n), bytes, "127.0.0.1", 4011);
  }

  link_test::ManualClockFirst clock_;
  lumora::TFormSV traffic_;
  lumora::TForm1 events_;
  lumora::TFormSVET card_;
  lumora::TFormNUM number_tool_;
  lumora::TFormBAT battery_editor_;
};

TEST_F(ServerLinkTest, AStatusReportReachesTheCellTableAndTheEventsList) {
  tolvex::SendStatusReport(4, 0x4, 0x8000, 0, "010aaa", 0x1040, 4100, 750, 95, 1, 3, 321, 12000,
                           6000, 5010, -7);
  WorkstationTick();
  EXPECT_EQ(lumora::CellTable.state[1], 4u);
  EXPECT_EQ(lumora::CellTable.mode_error_bits[1], 0x4u);
  EXPECT_EQ(lumora::CellTable.fault_bits[1], 0x8000u);
  EXPECT_EQ(lumora::CellTable.voltage[1], 4100);
  EXPECT_EQ(lumora::CellTable.current[1], 750);
  EXPECT_EQ(lumora::CellTable.charge_time[1], 95);
  EXPECT_EQ(lumora::CellTable.cycle_mode[1], 1);
  EXPECT_EQ(lumora::CellTable.first_counter[1], 3);
  EXPECT_EQ(lumora::CellTable.second_counter[1], 321);
  EXPECT_EQ(lumora::CellTable.Pow[1], 12000);
  EXPECT_EQ(lumora::CellTable.uCH[1], 6000);
  EXPECT_EQ(lumora::CellTable.u5V[1], 5010);
  EXPECT_EQ(lumora::CellTable.fourth_supply[1], -7);
  ASSERT_EQ(events_.LV1.Items().Count(), 1);
  const forms::TListItem& row = *events_.LV1.Items()[0];
  EXPECT_EQ(row.Caption(), "010aaa");
  EXPECT_EQ(row.SubItems()[1], "1040");
  EXPECT_EQ(row.SubItems()[3], "48000");
  EXPECT_EQ(row.SubItems()[4], "НЕТ  ОТВЕТА");
}

TEST_F(ServerLinkTest, APingBringsAKeepAliveThatRefreshesTheServersWatchdog) {
  tolvex::MonitorWatchdog = 3;
  tolvex::SendPing(0xFFF, 0, 0, 0, "010aaa", 0, 0);
  WorkstationTick();
  ServerTakes();
  EXPECT_EQ(tolvex::MonitorWatchdog, 15);
  EXPECT_EQ(tolvex::PendingStationCommand.code, 0);  // a keep-alive is never pending
  EXPECT_STREQ(tolvex::PendingStationCommand.address.data(), "");
}

TEST_F(ServerLinkTest, ALampCommandBecomesTheServersPendingCommandAndItsAnswerConfirmsIt) {
  lumora::QueueLampCommand(lumora::CmdSetCycleMode, lumora::kTargetCell, "010aaa", 1, 500, 0);
  lumora::RunLampCommandTick();
  ServerTakes();
  EXPECT_EQ(tolvex::PendingStationCommand.code, 163);
  EXPECT_EQ(tolvex::PendingStationCommand.P1, 1);
  EXPECT_EQ(tolvex::PendingStationCommand.P2, 500);
  EXPECT_STREQ(tolvex::PendingStationCommand.address.data(), "010aaa");
  EXPECT_GT(lumora::LampCommandWait, 0);

  tolvex::SendCommandAnswer(0x79, 0xA3, "010aaa");
  WorkstationTick();
  EXPECT_EQ(lumora::LampCommandWait, 0);
  EXPECT_EQ(lumora::LampCommandTries, 0);
}

TEST_F(ServerLinkTest, NumberCommandsCarryTheirKindAndFactoryNumber) {
  const std::uint8_t fab[8] = {0x10, 0x20, 0x30, 0x40, 0, 0, 0, 0x80};
  lumora::SendCommandByNumber(lumora::CmdFindDevice, lumora::kTargetCell, "010aaa", fab,
                              lumora::AddressByFabNum, 0, 0, 0);
  ServerTakes();
  EXPECT_EQ(tolvex::PendingStationCommand.code, 257);
  EXPECT_EQ(tolvex::PendingStationCommand.number_kind, 2);
  EXPECT_EQ(0, std::memcmp(tolvex::RequestFabNum, fab, 8));
  // The keep-alive after it repeats the factory number, as the server expects.
  lumora::SendCommand(lumora::CmdKeepAlive, 0, "");
  ServerTakes();
  EXPECT_EQ(0, std::memcmp(tolvex::RequestFabNum, fab, 8));
}

TEST_F(ServerLinkTest, AModeRecordWriteArrivesAsItsFortyEightBytes) {
  std::int32_t values[24];
  for (int i = 0; i < 24; ++i) values[i] = 0x1100 + i;
  lumora::SendModeRecord(lumora::CmdWriteModeRecord, 0, "010aaa", values, 0);
  ServerTakes();
  EXPECT_EQ(tolvex::PendingStationCommand.code, 0xA09F);
  EXPECT_EQ(tolvex::PendingStationCommand.payload[0], 0x00);
  EXPECT_EQ(tolvex::PendingStationCommand.payload[1], 0x11);
  EXPECT_EQ(tolvex::PendingStationCommand.payload[46], 0x17);
}

TEST_F(ServerLinkTest, BatteryAnswersReachTheLampCardAndTheEditor) {
  // Payload bytes from byte 5 on, as the station's answer carries them.
  std::uint8_t capacity[16] = {};
  capacity[2] = 0xDC;  // 1500 mA
  capacity[3] = 0x05;
  capacity[4] = 0xE0;  // 480 min
  capacity[5] = 0x01;
  capacity[6] = 0xD0;  // 2000: 20 A*h
  capacity[7] = 0x07;
  tolvex::SendCapacityData(0, "010aaa", capacity);
  WorkstationTick();
  EXPECT_EQ(card_.EditCBATX.Text(), "12.00");
  EXPECT_EQ(card_.EditPROC.Text(), "60%");

  std::uint8_t charge[32] = {};
  charge[2] = 7;
  charge[19] = 5;
  charge[20] = 0x39;  // 12345 mA*h
  charge[21] = 0x30;
  tolvex::SendChargeData(0, "010aaa", charge);
  WorkstationTick();
  EXPECT_EQ(card_.EditKK.Text(), "7");
  EXPECT_EQ(card_.EditCNAK.Text(), "12.345");

  std::uint8_t record[48];
  for (int i = 0; i < 48; ++i) record[i] = static_cast<std::uint8_t>(i + 1);
  lumora::ModeReadWindow = 2;
  tolvex::SendBatteryParameters(0, "010aaa", record);
  WorkstationTick();
  EXPECT_EQ(lumora::ModeFormRecord,
            lamp::UnpackModeRecord(std::span<const std::uint8_t, 48>(record, 48)));
}

TEST_F(ServerLinkTest, ADeviceAnswerReachesTheNumberToolWhole) {
  const std::uint8_t fab[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  tolvex::SendCommandAnswerRecord(0x7A, 1, "020bbb", fab, 12, 0x101, 0x202);
  WorkstationTick();
  const lamp::StatusDatagram& d = lumora::StatusBuffer;
  EXPECT_EQ(d.fab_num(), 0x0807060504030201u);
  EXPECT_EQ(d.station_number(), 12u);
  EXPECT_EQ(d.first_version_word(), 0x101u);
  EXPECT_EQ(d.second_version_word(), 0x202u);
  EXPECT_EQ(lumora::NumberAnswerLatch, lumora::kLatchFindAnswer);
  const auto lines = lumora::DeviceInfoLines(std::span<const std::uint8_t, 220>(d.bytes));
  ASSERT_EQ(number_tool_.ListBox1.Items().Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(number_tool_.ListBox1.Items()[i], lines[i]) << i;
}

}  // namespace
