// The battery charge-mode editor: defaults per type, collecting and showing a record, the
// error box, reading from the device, and the write protocol tick by tick over loopback.
#include "workstation/battery_editor.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/datagrams.h"
#include "link/station_frame.h"
#include "tests/workstation/link_peer.h"
#include "workstation/command_sender.h"
#include "workstation/database_client.h"
#include "workstation/receive_socket.h"

namespace {

using namespace lumora;
using link_test::Bytes;

// The fields FillDefaultMode writes, by name.
std::map<std::string, std::string> DefaultFields(const TFormBAT& f) {
  return {{"P13", f.EditP13.Text()}, {"P2", f.EditP2.Text()},   {"P4", f.EditP4.Text()},
          {"P7", f.EditP7.Text()},   {"VN", f.EditVN.Text()},   {"P1", f.EditP1.Text()},
          {"P3", f.EditP3.Text()},   {"P6", f.EditP6.Text()},   {"P9", f.EditP9.Text()},
          {"P10", f.EditP10.Text()}, {"P11", f.EditP11.Text()}, {"P12", f.EditP12.Text()},
          {"P5", f.EditP5.Text()},   {"P8", f.EditP8.Text()},   {"PMT", f.EditPMT.Text()}};
}

class BatteryEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseDbConnection();
    ModeFormRecord = {};
    ModeWriteWords = {};
    ModeWritePending = 0;
    ModeReadWindow = 0;
    ModeWriteWindow = 0;
    ModeWriteState = 0;
    LastAnswerCommand = 0;
    BatteryEditorHooks = BatteryEditorLinks{};
    editor_.ConnectHandlers();
    error_.ConnectHandlers();
    forms::Application().SetModalRunner([this](forms::TForm& form) {
      modal_texts_.push_back(error_.Label.Caption());
      modal_places_.push_back({form.Left(), form.Top()});
      error_.BitBtn1.Click();
    });
  }
  void TearDown() override {
    forms::Application().SetModalRunner({});
    BatteryEditorHooks = BatteryEditorLinks{};
  }

  link_test::ManualClockFirst clock_;
  TFormBAT editor_;
  TFormERR error_;
  std::vector<std::string> modal_texts_;
  std::vector<std::pair<int, int>> modal_places_;
};

TEST_F(BatteryEditorTest, StartState) {
  EXPECT_EQ(editor_.Caption(), "Режим  батареи");
  EXPECT_FALSE(editor_.Visible());
  EXPECT_EQ(editor_.EditTN.Text(), "002aaa");
  EXPECT_EQ(editor_.RadioTIP.ItemIndex(), 1);
  EXPECT_EQ(editor_.RadioTIP.Items().Get(3), "Доливной");
  EXPECT_EQ(editor_.RadioCELL.ItemIndex(), 2);
  EXPECT_EQ(editor_.EditACC.Text(), "2.0");
  EXPECT_EQ(editor_.EditVN.Text(), "3.6");
  EXPECT_EQ(editor_.ComboRR.Text(), "0");
  EXPECT_EQ(editor_.ComboRR.Items().Count(), 12);
  EXPECT_EQ(editor_.ComboRR.Items().Get(11), "Другой");
  EXPECT_FALSE(editor_.CheckBox3.Enabled());
  EXPECT_FALSE(editor_.BitBtn5.Visible());
  EXPECT_FALSE(editor_.BitBtn6.Visible());
  EXPECT_EQ(editor_.BitBtn2.Caption(), "Считать из  устройства");
  EXPECT_EQ(editor_.Edit1.Color(), forms::clWhite);
  EXPECT_EQ(editor_.Timer1.Interval(), 150);
  EXPECT_EQ(error_.Caption(), std::string(30, ' ') + "ОШИБКА");
  EXPECT_EQ(error_.BorderStyle(), forms::TBorderStyle::bsToolWindow);
  EXPECT_EQ(error_.Label.FontColor(), forms::clMaroon);
}

TEST_F(BatteryEditorTest, DefaultsPerTypeAndCellCount) {
  struct Case {
    const char* name;
    int type;
    int cells;  // item index
    const char* capacity;
    std::map<std::string, std::string> expected;
    int cells_after;
  };
  const std::vector<Case> cases = {
      {"Ni-Cd 3 cells 2.0",
       0,
       2,
       "2.0",
       {{"P13", "0.030"},
        {"P2", "3.00"},
        {"P4", "4.95"},
        {"P7", "4.95"},
        {"VN", "3.60"},
        {"P1", "0.40"},
        {"P3", "0.20"},
        {"P6", "0.20"},
        {"P9", "0.20"},
        {"P10", "3.00"},
        {"P11", "0.006"},
        {"P12", "4.95"},
        {"P5", "12.00"},
        {"P8", "12.00"},
        {"PMT", "0.09"}},
       2},
      {"Li-Ion 3 cells 10",
       2,
       2,
       "10",
       {{"P13", "0.000"},
        {"P2", "9.00"},
        {"P4", "12.60"},
        {"P7", "12.60"},
        {"VN", "10.80"},
        {"P1", "2.00"},
        {"P3", "2.00"},
        {"P6", "2.00"},
        {"P9", "1.00"},
        {"P10", "9.00"},
        {"P11", "0.030"},
        {"P12", "12.60"},
        {"P5", "9.00"},
        {"P8", "9.00"},
        {"PMT", "0.45"}},
       0},
      {"Li-Ion 1 cell 10",
       2,
       0,
       "10",
       {{"P13", "0.000"},
        {"P2", "3.00"},
        {"P4", "4.20"},
        {"P7", "4.20"},
        {"VN", "3.60"},
        {"P1", "2.00"},
        {"P3", "2.00"},
        {"P6", "2.00"},
        {"P9", "1.00"},
        {"P10", "3.00"},
        {"P11", "0.030"},
        {"P12", "4.20"},
        {"P5", "9.00"},
        {"P8", "9.00"},
        {"PMT", "0.45"}},
       0},
      {"Ni-Cd 1 cell 6",
       0,
       0,
       "6",
       {{"P13", "0.010"},
        {"P2", "1.00"},
        {"P4", "1.65"},
        {"P7", "1.65"},
        {"VN", "1.20"},
        {"P1", "1.20"},
        {"P3", "0.60"},
        {"P6", "0.60"},
        {"P9", "0.40"},
        {"P10", "1.00"},
        {"P11", "0.018"},
        {"P12", "1.65"},
        {"P5", "12.00"},
        {"P8", "12.00"},
        {"PMT", "0.27"}},
       0},
      {"Ni-Mh 2 cells 0.5",
       1,
       1,
       "0.5",
       {{"P13", "0.008"},
        {"P2", "2.00"},
        {"P4", "3.40"},
        {"P7", "3.40"},
        {"VN", "2.40"},
        {"P1", "0.10"},
        {"P3", "0.06"},
        {"P6", "0.06"},
        {"P9", "0.05"},
        {"P10", "2.00"},
        {"P11", "0.005"},
        {"P12", "3.40"},
        {"P5", "12.00"},
        {"P8", "12.00"},
        {"PMT", "0.03"}},
       1},
      {"top-up 1 cell 20",
       3,
       0,
       "20",
       {{"P13", "0.010"},
        {"P2", "1.10"},
        {"P4", "1.50"},
        {"P7", "1.50"},
        {"VN", "1.20"},
        {"P1", "1.60"},
        {"P3", "1.60"},
        {"P6", "1.60"},
        {"P9", "0.40"},
        {"P10", "1.10"},
        {"P11", "0.050"},
        {"P12", "1.55"},
        {"P5", "22.50"},
        {"P8", "22.50"},
        {"PMT", "0.60"}},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    editor_.RadioTIP.SetItemIndex(c.type);
    editor_.RadioCELL.SetItemIndex(c.cells);
    editor_.EditACC.SetText(c.capacity);
    editor_.CB2.SetChecked(true);
    editor_.CB3.SetChecked(true);
    editor_.CheckKBAT.SetChecked(true);
    editor_.CheckCNTOK.SetChecked(true);
    ASSERT_EQ(FillDefaultMode(editor_), kModeFormOk);
    EXPECT_EQ(DefaultFields(editor_), c.expected);
    EXPECT_EQ(editor_.RadioCELL.ItemIndex(), c.cells_after);
    EXPECT_EQ(editor_.EditACC.Text(), c.capacity);
    EXPECT_FALSE(editor_.CB2.Checked());
    EXPECT_FALSE(editor_.CB3.Checked());
    EXPECT_FALSE(editor_.CheckKBAT.Checked());
    EXPECT_FALSE(editor_.CheckCNTOK.Checked());
    const bool nickel = c.type == 0 || c.type == 1;
    EXPECT_EQ(editor_.CB1.Checked(), nickel);
    EXPECT_EQ(editor_.CB4.Checked(), nickel);
    EXPECT_EQ(editor_.CheckAVAR1.Checked(), nickel);
    EXPECT_EQ(editor_.CB5.Checked(), c.type == 2);
  }
}

TEST_F(BatteryEditorTest, DefaultsAndWriteRefuseIncompleteForms) {
  struct Case {
    const char* capacity;
    int type;
    int cells;
    const char* text;
  };
  for (const Case& c :
       {Case{"", 0, 0, "Не задана ёмкость батареи"}, Case{"2.0", -1, 0, "Не задан тип батареи"},
        Case{"2.0", 0, -1, "Не задано кол. аккумуляторов"}}) {
    SCOPED_TRACE(c.text);
    modal_texts_.clear();
    editor_.EditACC.SetText(c.capacity);
    editor_.RadioTIP.SetItemIndex(c.type);
    editor_.RadioCELL.SetItemIndex(c.cells);
    editor_.BitBtn4.Click();
    editor_.BitBtn3.Click();
    EXPECT_EQ(modal_texts_, (std::vector<std::string>{c.text, c.text}));
    EXPECT_EQ(ModeWritePending, 0);
    EXPECT_FALSE(error_.Visible());
  }
  editor_.SetBounds(200, 60, 560, 560);
  editor_.BitBtn3.Click();
  ASSERT_FALSE(modal_places_.empty());
  EXPECT_EQ(modal_places_.back(), (std::pair<int, int>{310, 150}));
  EXPECT_STREQ(ModeErrorMessage(4), "");
}

TEST_F(BatteryEditorTest, CollectScalesTruncatesAndFlags) {
  editor_.RadioTIP.SetItemIndex(2);
  editor_.RadioCELL.SetItemIndex(0);
  editor_.EditACC.SetText("0.5");
  ASSERT_EQ(FillDefaultMode(editor_), kModeFormOk);
  editor_.CheckKBAT.SetChecked(true);
  editor_.CheckCNTOK.SetChecked(true);
  editor_.CheckKRAZ.SetChecked(true);
  editor_.ComboRR.SelectItem(3);
  ModeFormRecord[18] = 77;
  ASSERT_EQ(CollectModeForm(editor_), kModeFormOk);
  const lamp::ModeDisplayRecord& r = ModeFormRecord;
  EXPECT_EQ(r[0], 50);
  EXPECT_EQ(r[1], 3 + 0x400 + 0x200);
  EXPECT_EQ(r[2], 1);
  EXPECT_EQ(r[3], 30);  // 0.03 shown, 30 stored
  EXPECT_EQ(r[4], 250);
  EXPECT_EQ(r[8], 216);  // 3.60 h
  EXPECT_EQ(r[14], 30);
  EXPECT_EQ(r[16], 0);
  EXPECT_EQ(r[17], 0x10 + 0x200 + (3 << 12));
  EXPECT_EQ(r[18], 77);
  EXPECT_EQ(r[19], 3600);
  EXPECT_EQ(r[20], 0);

  editor_.ComboRR.SelectItem(kOwnResistanceItem);
  for (const auto& [text, stored] :
       std::vector<std::pair<const char*, int>>{{"1.2", 950}, {"0.125", 125}, {"-1", 0}}) {
    editor_.EditRRNET.SetText(text);
    ASSERT_EQ(CollectModeForm(editor_), kModeFormOk);
    EXPECT_EQ(ModeFormRecord[20], stored) << text;
    EXPECT_EQ(ModeFormRecord[1], 3 + 0x400 + 0x200 + 0x800);
    EXPECT_EQ(ModeFormRecord[17] & 0xF000, 0);
  }
}

TEST_F(BatteryEditorTest, CollectSaturatesNumbersBeyondTheValueRange) {
  editor_.EditACC.SetText("1e30");
  editor_.EditP1.SetText("-1e30");
  editor_.EditP2.SetText("nan");
  editor_.EditP3.SetText("abc");
  ASSERT_EQ(CollectModeForm(editor_), kModeFormOk);
  EXPECT_EQ(ModeFormRecord[0], 2147483647);
  EXPECT_EQ(ModeFormRecord[4], -2147483647 - 1);
  EXPECT_EQ(ModeFormRecord[5], 0);
  EXPECT_EQ(ModeFormRecord[6], 0);
}

TEST_F(BatteryEditorTest, ShowRecord) {
  lamp::ModeDisplayRecord r{{250, 0x300 | 5, 6,   90,   400,  3000,
                             200, 4950,      750, 201,  4951, 45,
                             202, 3001,      6,   4952, 300,  0x1F | 0x20 | 0x300 | (10 << 12),
                             0,   3600,      0}};
  ShowModeOnBatteryForm(r);
  EXPECT_EQ(editor_.EditACC.Text(), "2.50");
  EXPECT_EQ(editor_.RadioTIP.ItemIndex(), 0);   // type 5 shows as Ni-Cd
  EXPECT_EQ(editor_.RadioCELL.ItemIndex(), 0);  // 6 shows as one cell
  EXPECT_FALSE(editor_.CheckCNTOK.Checked());   // bits 0x100 and 0x200 together
  EXPECT_FALSE(editor_.CheckKBAT.Checked());
  EXPECT_EQ(editor_.ComboRR.ItemIndex(), 10);
  EXPECT_EQ(editor_.EditRRNET.Text(), "0");
  EXPECT_EQ(editor_.EditPMT.Text(), "0.09");
  EXPECT_EQ(editor_.EditP5.Text(), "12.50");
  EXPECT_EQ(editor_.EditP8.Text(), "0.75");
  EXPECT_EQ(editor_.EditP11.Text(), "0.006");
  EXPECT_EQ(editor_.EditP13.Text(), "0.030");
  EXPECT_EQ(editor_.EditVN.Text(), "3.60");
  for (forms::TCheckBox* box :
       {&editor_.CB1, &editor_.CB2, &editor_.CB3, &editor_.CB4, &editor_.CB5, &editor_.CheckAVAR1,
        &editor_.CheckKZAR, &editor_.CheckKRAZ}) {
    EXPECT_TRUE(box->Checked()) << box->Name();
  }

  r[1] = 0x800 | 0x400 | 0x200 | 3;
  r[2] = 2;
  r[20] = 950;
  ShowModeOnBatteryForm(r);
  EXPECT_EQ(editor_.RadioTIP.ItemIndex(), 2);
  EXPECT_EQ(editor_.RadioCELL.ItemIndex(), 1);  // the type's own click does not win
  EXPECT_TRUE(editor_.CheckCNTOK.Checked());
  EXPECT_TRUE(editor_.CheckKBAT.Checked());
  EXPECT_EQ(editor_.ComboRR.ItemIndex(), kOwnResistanceItem);
  EXPECT_EQ(editor_.EditRRNET.Text(), "0.950");
  r[1] = 0x1800 | 1;
  ShowModeOnBatteryForm(r);
  EXPECT_EQ(editor_.ComboRR.ItemIndex(), 10);
  EXPECT_EQ(editor_.EditRRNET.Text(), "0");
}

TEST_F(BatteryEditorTest, ShowThenCollectGivesTheRecordBack) {
  // Values the two-decimal fields can hold.
  const lamp::ModeDisplayRecord r{{250, 0x402, 2,  90,  400,  3000, 200,  4950, 720,
                                   210, 4940,  60, 220, 3010, 6,    4930, 300,  0x1F | (4 << 12),
                                   0,   2400,  0}};
  ShowModeOnBatteryForm(r);
  ASSERT_EQ(CollectModeForm(editor_), kModeFormOk);
  EXPECT_EQ(ModeFormRecord, r);
}

TEST_F(BatteryEditorTest, ClearAndTypeClick) {
  editor_.CheckCNTOK.SetChecked(true);
  editor_.ComboRR.SelectItem(4);
  editor_.EditRRNET.SetText("0.1");
  editor_.CB1.SetChecked(true);
  ClearModeForm();
  EXPECT_EQ(editor_.EditACC.Text(), "");
  EXPECT_EQ(editor_.EditVN.Text(), "");
  EXPECT_FALSE(editor_.CB1.Checked());
  EXPECT_EQ(editor_.RadioTIP.ItemIndex(), -1);
  EXPECT_EQ(editor_.RadioCELL.ItemIndex(), -1);
  EXPECT_TRUE(editor_.CheckCNTOK.Checked());
  EXPECT_EQ(editor_.ComboRR.ItemIndex(), 4);
  EXPECT_EQ(editor_.EditRRNET.Text(), "0.1");

  for (const auto& [type, cells] :
       std::vector<std::pair<int, int>>{{0, 2}, {2, 0}, {1, 2}, {3, 2}}) {
    editor_.RadioCELL.SetItemIndex(1);
    editor_.RadioTIP.ClickItem(type);
    EXPECT_EQ(editor_.RadioCELL.ItemIndex(), cells) << type;
  }
}

class BatteryEditorLinkTest : public BatteryEditorTest {
 protected:
  void SetUp() override {
    BatteryEditorTest::SetUp();
    CommandBuffer = lamp::CommandDatagram{};
    ReceiveEndpoints = LinkEndpoints{"127.0.0.1", 0, "127.0.0.1", server_.port()};
    OpenReceiveSocket();
    ASSERT_EQ(ReceiveSocketState, kSocketBound);
    editor_.EditTN.SetText("010aaa");
  }
  void TearDown() override {
    if (ReceiveSocket != wsock::INVALID_SOCKET) wsock::closesocket(ReceiveSocket);
    ReceiveSocket = wsock::INVALID_SOCKET;
    ReceiveSocketState = kSocketNotBound;
    BatteryEditorTest::TearDown();
  }

  lamp::CommandDatagram Sent() {
    lamp::CommandDatagram d;
    auto bytes = server_.Receive();
    EXPECT_TRUE(bytes.has_value());
    if (bytes && bytes->size() == d.bytes.size())
      std::copy(bytes->begin(), bytes->end(), d.bytes.begin());
    return d;
  }
  void Tick() { forms::Application().AdvanceTime(150); }

  link_test::UdpPeer server_;
};

TEST_F(BatteryEditorLinkTest, WriteConfirmedWithoutBatteryChange) {
  editor_.RadioTIP.SetItemIndex(0);
  editor_.RadioCELL.SetItemIndex(2);
  editor_.EditACC.SetText("2.0");
  ASSERT_EQ(FillDefaultMode(editor_), kModeFormOk);
  editor_.BitBtn3.Click();
  EXPECT_EQ(ModeWritePending, kModeWriteRequested);
  EXPECT_TRUE(server_.Silent());
  Tick();
  const lamp::CommandDatagram d = Sent();
  EXPECT_EQ(d.command_code(), static_cast<std::uint32_t>(CmdWriteModeRecord));
  EXPECT_EQ(d.ind_num(), "010aaa");
  EXPECT_EQ(d.target_word(), 0u);
  EXPECT_EQ(d.p1(), 0);
  const lamp::ModeRecord packed = lamp::PackModeRecord(ModeFormRecord);
  for (std::size_t i = 0; i < lamp::kModeRecordWordCount; ++i) {
    EXPECT_EQ(d.value(i), packed.word(i)) << i;
  }
  EXPECT_EQ(ModeWriteWindow, kModeWriteTicks);
  EXPECT_EQ(editor_.Edit1.Color(), kModeWriteWaitColor);

  SetLastAnswerCommand(lamp::StationCmdModeWrite);
  Tick();
  EXPECT_EQ(ModeWriteState, kModeWriteConfirmed);
  EXPECT_EQ(LastAnswerCommand, 0);
  Tick();
  EXPECT_EQ(ModeWriteState, kModeWriteStored);
  EXPECT_EQ(editor_.Edit1.Color(), forms::clWhite);
  for (int i = 0; i < 8; ++i) Tick();
  EXPECT_EQ(editor_.Edit1.Text(), "");
  EXPECT_EQ(ModeWriteWindow, 0);
  EXPECT_TRUE(server_.Silent());
}

TEST_F(BatteryEditorLinkTest, NoAnswerOnSeventhTickUnchecksBatteryChange) {
  editor_.CheckSMB.SetChecked(true);
  editor_.BitBtn3.Click();
  Tick();
  Sent();
  for (int i = 0; i < 6; ++i) Tick();
  EXPECT_EQ(editor_.Edit1.Text(), "");
  EXPECT_TRUE(editor_.CheckSMB.Checked());
  Tick();
  EXPECT_EQ(ModeWriteWindow, 1);
  EXPECT_EQ(editor_.Edit1.Text(), "Нет ответа");
  EXPECT_EQ(editor_.Edit1.FontColor(), kModeNoAnswerColor);
  EXPECT_FALSE(editor_.CheckSMB.Checked());
  // An answer after the window has closed changes nothing.
  Tick();
  SetLastAnswerCommand(lamp::StationCmdModeWrite);
  Tick();
  EXPECT_EQ(ModeWriteState, kModeWriteSent);
  EXPECT_TRUE(server_.Silent());
}

TEST_F(BatteryEditorLinkTest, BatteryChangeWaitsForItsOwnAnswer) {
  editor_.CheckSMB.SetChecked(true);
  editor_.BitBtn3.Click();
  Tick();
  Sent();
  SetLastAnswerCommand(lamp::StationCmdModeWrite);
  Tick();
  const lamp::CommandDatagram change = Sent();
  EXPECT_EQ(change.command_code(), static_cast<std::uint32_t>(CmdBatteryChange));
  EXPECT_EQ(change.target_word(), static_cast<std::uint32_t>(kTargetCell));
  EXPECT_EQ(change.ind_num(), "010aaa");
  EXPECT_EQ(change.p1(), 1);
  EXPECT_EQ(ModeWriteState, kModeWriteChangeSent);
  Tick();
  EXPECT_EQ(ModeWriteState, kModeWriteChangeSent);
  SetLastAnswerCommand(lamp::StationCmdBatteryChange);
  Tick();
  EXPECT_EQ(ModeWriteState, kModeWriteConfirmed);
  Tick();
  EXPECT_EQ(ModeWriteState, kModeWriteStored);
}

TEST_F(BatteryEditorLinkTest, ReadFromDeviceTakesRepliesInsideItsWindow) {
  std::vector<lamp::ModeDisplayRecord> on_card;
  static std::vector<lamp::ModeDisplayRecord>* card_records = nullptr;
  card_records = &on_card;
  BatteryEditorHooks.ShowModeOnLampCard = [](const lamp::ModeDisplayRecord& r) {
    card_records->push_back(r);
  };
  editor_.EditCOMT.SetText("old");
  editor_.BitBtn2.Click();
  EXPECT_EQ(editor_.EditCOMT.Text(), "");
  EXPECT_EQ(editor_.RadioTIP.ItemIndex(), -1);
  const lamp::CommandDatagram d = Sent();
  EXPECT_EQ(d.command_code(), static_cast<std::uint32_t>(CmdReadModeRecord));
  EXPECT_EQ(d.p1(), 64);
  EXPECT_EQ(d.target_word(), 0u);
  EXPECT_EQ(ModeReadWindow, kModeReadTicks);

  lamp::ModeDisplayRecord sent_record{
      {300, 3, 1, 90, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3600, 0}};
  std::array<std::uint8_t, 64> data{};
  lamp::PackModeRecord(sent_record, std::span<std::uint8_t, 48>(data.data(), 48));
  ModeFormRecord[18] = 9;
  HandleModeRecordReply(-1, data.data());
  sent_record[18] = 0;
  EXPECT_EQ(ModeFormRecord, sent_record);
  EXPECT_EQ(editor_.EditACC.Text(), "3.00");
  ASSERT_EQ(on_card.size(), 1u);

  // A reply does not close the window: one on its last tick is taken too.
  for (int i = 0; i < 5; ++i) Tick();
  ASSERT_EQ(ModeReadWindow, 1);
  lamp::ModeDisplayRecord second = sent_record;
  second[0] = 400;
  lamp::PackModeRecord(second, std::span<std::uint8_t, 48>(data.data(), 48));
  HandleModeRecordReply(-1, data.data());
  EXPECT_EQ(ModeFormRecord, second);
  EXPECT_EQ(editor_.EditACC.Text(), "4.00");

  Tick();
  EXPECT_EQ(ModeReadWindow, 0);
  lamp::ModeDisplayRecord later = sent_record;
  later[0] = 500;
  lamp::PackModeRecord(later, std::span<std::uint8_t, 48>(data.data(), 48));
  HandleModeRecordReply(-1, data.data());
  EXPECT_EQ(editor_.EditACC.Text(), "5.00");  // shown ...
  EXPECT_EQ(ModeFormRecord[0], 400);          // ... but not taken
  EXPECT_EQ(on_card.size(), 3u);
}

}  // namespace
