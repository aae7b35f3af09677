// Writes the seed inputs of the fuzz targets: valid inputs made by the programs' own code, so
// they follow every change of a layout. The messages travel as in the lamp room: each
// workstation command goes to the server, which turns it into a station request; a simulated
// station answers; the answer goes through the server's frame receiver and reply decoder,
// and what the server then sends the workstation is kept too. Every step checks that the
// next one took the message, and each file is read back by its reader, so each seed gets
// past the checks of the parser it is for.
//
//   fuzz-seeds DIR TARGET...
//
// For each TARGET, DIR/TARGET/seeds gets its seeds and DIR/TARGET/found is left empty: a
// run is given found first, where it writes what it finds, and reads seeds only. A target
// without seeds, or seeds for a target not named, is an error.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "link/cp1251.h"
#include "link/datagrams.h"
#include "link/mode_record.h"
#include "link/number_text.h"
#include "link/station_frame.h"
#include "platform/forms/controls.h"
#include "platform/sys/autostart.h"
#include "server/cell_registry.h"
#include "server/frame_receiver.h"
#include "server/host_table.h"
#include "server/reply_decoder.h"
#include "server/server_config.h"
#include "server/station_frame.h"
#include "server/workstation_link.h"
#include "server/workstation_socket.h"
#include "simulator/lamp_room.h"
#include "simulator/station_link.h"
#include "simulator/worker_source.h"
#include "workstation/command_sender.h"
#include "workstation/device_number_tool.h"
#include "workstation/lamp_card.h"
#include "workstation/window_layout.h"
#include "workstation/window_layout_record.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The lamp the commands are for; the fuzz targets that keep a lamp list know it.
constexpr char kLamp[] = "010aaa";

std::map<std::string, std::map<std::string, Bytes>> seeds;

void Add(const std::string& target, const std::string& name, Bytes bytes) {
  seeds[target][name] = std::move(bytes);
}

// The name of message i of count made by one step.
std::string Label(const std::string& step, std::size_t i, std::size_t count) {
  return count > 1 ? step + "-" + std::to_string(i) : step;
}

Bytes BytesOf(const std::string& text) {
  return {text.begin(), text.end()};
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz-seeds: %s\n", what.c_str());
  std::exit(1);
}

// A UDP socket on a free loopback port: the station's end of the server's requests, or the
// workstation's end of its datagrams.
class Loopback {
 public:
  Loopback() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof local;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
      Fail("no loopback socket");
    }
    port_ = ntohs(local.sin_port);
  }
  ~Loopback() { ::close(fd_); }
  Loopback(const Loopback&) = delete;
  Loopback& operator=(const Loopback&) = delete;

  std::uint16_t port() const { return port_; }

  // Everything that has arrived: loopback delivers during the send.
  std::vector<Bytes> Drain() {
    std::vector<Bytes> all;
    pollfd p{fd_, POLLIN, 0};
    while (::poll(&p, 1, 0) > 0) {
      Bytes data(4096);
      const ssize_t n = ::recv(fd_, data.data(), data.size(), 0);
      if (n < 0) break;
      data.resize(static_cast<std::size_t>(n));
      all.push_back(std::move(data));
    }
    return all;
  }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

// The server, with host 1 of its table and its workstation end on loopback sockets of ours
// and the lamp in its registry, and a simulated station with the lamp in its first cell.
class LampRoomLink {
 public:
  LampRoomLink() {
    tolvex::HostTable[0].StationNumber = 1;
    tolvex::HostTable[0].Port = station_.port();
    std::snprintf(tolvex::HostTable[0].AddressText, sizeof tolvex::HostTable[0].AddressText,
                  "127.0.0.1");
    tolvex::HostCount = 1;
    tolvex::SetStationSocketPort(0);
    if (tolvex::OpenStationSocket() != 0) Fail("the station socket does not open");
    tolvex::MonitorEndpoints = {"127.0.0.1", 0, "127.0.0.1", workstation_.port()};
    if (tolvex::OpenMonitorSocket() != 0) Fail("the workstation socket does not open");

    tolvex::PrepareCellRegistry();
    tolvex::InitCellStatistics();
    tolvex::SetTabnum(0, kLamp);
    tolvex::Cells.ST[0] = 1;
    tolvex::CellCount = 1;

    std::vector<stationsim::WorkerRow> rows = {stationsim::MakeWorkerRow(kLamp, 1)};
    for (const auto& row : stationsim::MakeSampleWorkers(3, 2)) rows.push_back(row);
    std::string warnings;
    if (!room_->Build(rows, stationsim::RoomOptions{}, 0, nullptr, warnings)) {
      Fail("no simulated station: " + warnings);
    }
    tolvex::SetStationFrameHandler(&Decode);
    // A fixed moment in the datagrams' time fields, so every run makes the same seeds.
    tolvex::SetLinkClock([] { return std::time_t{1'700'000'000}; });
  }

  const stationsim::LampRoom& room() const { return *room_; }

  // The requests the server has sent since the last exchange, each answered by the station,
  // the answer taken by the server and what it sent the workstation kept.
  void Exchange(const std::string& name) {
    const std::vector<Bytes> requests = station_.Drain();
    if (requests.empty()) Fail(name + ": the server sent no request");
    for (std::size_t i = 0; i < requests.size(); ++i) {
      const std::string label = Label(name, i, requests.size());
      AddRequest(label, requests[i]);
      AddAnswer(label, Answer(label, requests[i]));
      KeepWorkstationDatagrams(label);
    }
  }

  // What the server has sent the workstation since the last call.
  void KeepWorkstationDatagrams(const std::string& name) {
    const std::vector<Bytes> datagrams = workstation_.Drain();
    for (std::size_t i = 0; i < datagrams.size(); ++i) {
      AddWorkstationDatagram(Label(name, i, datagrams.size()), datagrams[i]);
    }
  }

 private:
  static void Decode(const std::uint8_t* header, std::int32_t payload_length,
                     const std::uint8_t* body, std::int32_t slot) {
    ++decoded_;
    tolvex::DecodeStationReply(header, payload_length, body, slot);
  }

  static void AddRequest(const std::string& name, const Bytes& request) {
    Add("frame_receiver_fuzz", name + "-request", request);
    // For the station target's own framing, which addresses a cell of its station: an even
    // mode byte, the frame type, the tag, cell 0, then the payload.
    const std::uint8_t* header = request.data() + lamp::kFrameHeaderOffset;
    Bytes framed = {0x00, header[lamp::kHeaderFrameType],
                    static_cast<std::uint8_t>(header[lamp::kHeaderTag] & lamp::kFrameTagMask),
                    0x00};
    const std::size_t payload = request.size() - lamp::kFrameOverhead;
    framed.insert(framed.end(), request.begin() + lamp::kFramePayloadOffset,
                  request.begin() + lamp::kFramePayloadOffset + payload);
    Add("station_model_fuzz", name, std::move(framed));
  }

  Bytes Answer(const std::string& name, const Bytes& request) {
    std::array<std::uint8_t, lamp::kFrameBufferSize> frame{};
    stationsim::LinkCounts counts;
    now_ += 1;
    const std::size_t length =
        stationsim::AnswerRequestDatagram(room_->station(0), request, now_, frame, counts);
    if (length == 0) Fail(name + ": the station gave no answer");
    Bytes answer(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(length));
    decoded_ = 0;
    tolvex::FeedStationDatagram(0, answer.data(), static_cast<int>(answer.size()));
    if (decoded_ != 1) Fail(name + ": the server's receiver did not take the answer");
    return answer;
  }

  static void AddAnswer(const std::string& name, const Bytes& answer) {
    // One chunk for the receiver of slot 0: the control byte's high six bits give a length
    // of at least the frame's (the chunk is cut at the end of the input).
    Bytes chunk = {static_cast<std::uint8_t>(((answer.size() + 2) / 4) << 2)};
    chunk.insert(chunk.end(), answer.begin(), answer.end());
    Add("frame_receiver_fuzz", name, std::move(chunk));

    // For the two readers side by side: datagrams of a length byte and the bytes; the answer
    // whole, and cut in two inside its header.
    if (answer.size() > 0xFF) Fail(name + ": an answer longer than one datagram of the seeds");
    const std::size_t cut = lamp::kFrameHeaderOffset + lamp::kHeaderAddress;
    Bytes whole = {static_cast<std::uint8_t>(answer.size())};
    whole.insert(whole.end(), answer.begin(), answer.end());
    Add("frame_receiver_differential_fuzz", name, std::move(whole));
    Bytes split = {static_cast<std::uint8_t>(cut)};
    split.insert(split.end(), answer.begin(), answer.begin() + cut);
    split.push_back(static_cast<std::uint8_t>(answer.size() - cut));
    split.insert(split.end(), answer.begin() + cut, answer.end());
    Add("frame_receiver_differential_fuzz", name + "-split", std::move(split));

    // As the receiver hands it on: the header, a control byte (0: as it is), a slot byte
    // (14: slot 0), then the body (payload and CRC) without the end mark.
    const auto header = answer.begin() + lamp::kFrameHeaderOffset;
    const auto body = answer.begin() + lamp::kFramePayloadOffset;
    Bytes handed(header, body);
    handed.push_back(0);
    handed.push_back(14);
    handed.insert(handed.end(), body, answer.end() - 1);
    Add("station_reply_fuzz", name, std::move(handed));
  }

  static void AddWorkstationDatagram(const std::string& name, const Bytes& datagram) {
    Add("datagram_decoder_fuzz", name, datagram);
    if (datagram.size() == lamp::StatusDatagram::kSize) {
      lamp::StatusDatagram status;
      std::memcpy(status.bytes.data(), datagram.data(), datagram.size());
      if (status.id() == lamp::IdCommandAnswer &&
          (status.answer_frame_type() & 0xFF) == lamp::FrameNumberCommand) {
        Add("device_info_fuzz", name, datagram);
      }
    }
    if (datagram.size() == lamp::BatteryDatagram::kSize) {
      lamp::BatteryDatagram battery;
      std::memcpy(battery.bytes.data(), datagram.data(), datagram.size());
      if (battery.id() == lamp::IdModeRecord) {
        Add("mode_record_fuzz", name,
            Bytes(battery.data().begin(), battery.data().begin() + lamp::kModeRecordSize));
      }
    }
  }

  Loopback station_;
  Loopback workstation_;
  std::unique_ptr<stationsim::LampRoom> room_ = std::make_unique<stationsim::LampRoom>();
  double now_ = 0;
  static inline int decoded_ = 0;
};

// A workstation command: its datagram as the workstation's builder left it, taken by the
// server, and the exchange that follows.
void RunCommand(LampRoomLink& link, const std::string& name, const std::function<void()>& send) {
  send();
  const Bytes datagram(lumora::CommandBuffer.bytes.begin(), lumora::CommandBuffer.bytes.end());
  Add("command_datagram_fuzz", name, datagram);
  tolvex::ParseCommandDatagram(static_cast<int>(datagram.size()), datagram.data(), "127.0.0.1",
                               lamp::WorkstationLinkPort);
  if (tolvex::RunPendingCommand() == 0) Fail(name + ": the server took no command");
  link.Exchange(name);
}

// The host table of the simulated stations, as the simulator writes it and with a comment
// and CR LF line ends.
void HostTableSeeds(const stationsim::LampRoom& room) {
  const std::string hosts = stationsim::FormatHostTable(room);
  std::string hosts_crlf = "# number address port\r\n";
  for (char c : hosts) hosts_crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const auto& [name, text] :
       {std::pair{"hostab", hosts}, std::pair{"hostab-crlf", hosts_crlf}}) {
    tolvex::HostEntry table[tolvex::kHostSlots];
    int entries = 0;
    if (tolvex::ParseHostTableText(BytesOf(text), table, entries) != 0 ||
        entries != static_cast<int>(room.station_count())) {
      Fail(std::string(name) + ": the server does not read the host table");
    }
    Add("host_table_fuzz", name, BytesOf(text));
  }
}

void LinkSeeds() {
  LampRoomLink link;
  std::memcpy(tolvex::RequestAddress, kLamp, sizeof kLamp);
  tolvex::TargetHost = 1;
  tolvex::PollCellStatus(0);
  link.Exchange("poll");
  tolvex::RequestDischargeReport();
  link.Exchange("discharge_report");
  tolvex::RequestChargeReport();
  link.Exchange("charge_report");
  tolvex::SendPing(0, 0, 0, 0, kLamp, 0, 0);
  link.KeepWorkstationDatagrams("ping");

  lumora::SendCommand(lumora::CmdKeepAlive, lumora::kTargetNone, "");
  Add("command_datagram_fuzz", "keep_alive",
      Bytes(lumora::CommandBuffer.bytes.begin(), lumora::CommandBuffer.bytes.end()));
  const std::pair<const char*, std::int32_t> cell_commands[] = {
      {"stop", lumora::CmdStop},
      {"start", lumora::CmdStart},
      {"control_discharge", lumora::CmdControlDischarge},
      {"reset", lumora::CmdReset},
      {"read_discharge_report", lumora::CmdReadDischargeReport},
      {"read_charge_report", lumora::CmdReadChargeReport},
  };
  for (const auto& [name, command] : cell_commands) {
    RunCommand(link, name, [command = command] {
      lumora::SendCommandParams(command, lumora::kTargetCell, kLamp, 0, 0, 0);
    });
  }
  RunCommand(link, "cycle_mode", [] {
    lumora::SendCommandParams(lumora::CmdSetCycleMode, lumora::kTargetCell, kLamp, 2, 3, 0);
  });
  RunCommand(link, "battery_change", [] {
    lumora::SendCommandParams(lumora::CmdBatteryChange, lumora::kTargetCell, kLamp, 1, 0, 0);
  });
  RunCommand(link, "read_mode_record", [] {
    lumora::SendCommandParams(lumora::CmdReadModeRecord, lumora::kTargetNone, kLamp,
                              lumora::kModeRecordReadLength, 0, 0);
  });
  const auto& mode_records = seeds["mode_record_fuzz"];
  if (mode_records.empty()) Fail("read_mode_record: no mode record came back");
  RunCommand(link, "write_mode_record", [&mode_records] {
    lamp::ModeRecord record;
    std::memcpy(record.bytes.data(), mode_records.begin()->second.data(), record.bytes.size());
    std::array<std::int32_t, lamp::kModeRecordWordCount> values{};
    for (std::size_t n = 0; n < values.size(); ++n) values[n] = record.word(n);
    lumora::SendModeRecord(lumora::CmdWriteModeRecord, 0, kLamp, values.data(),
                           lumora::kTargetNone);
  });

  const lumora::FactoryNumber factory_number{};
  RunCommand(link, "find_device", [&] {
    lumora::SendCommandByNumber(lumora::CmdFindDevice, lumora::kTargetCell, kLamp,
                                factory_number.data(), lumora::AddressByIndNum, 0, 0, 0);
  });
  RunCommand(link, "show_number", [&] {
    lumora::SendCommandByNumber(lumora::CmdShowNumber, lumora::kTargetCell, "",
                                factory_number.data(), lumora::AddressEveryDevice,
                                lumora::kShowNumberP1, 5, 0);
  });
  // The lamp's own number written back, so it keeps its number.
  std::array<std::int32_t, 8> number_values{};
  for (std::size_t i = 0; i < std::strlen(kLamp); ++i) number_values[i] = kLamp[i];
  const auto renumber = [&](std::int32_t command, std::int32_t p1) {
    return [&, command, p1] {
      lumora::SendCommandValues(
          command, p1, kLamp, factory_number.data(), lumora::AddressByIndNum, number_values.data(),
          static_cast<std::int32_t>(number_values.size()), lumora::kTargetDevice);
    };
  };
  RunCommand(link, "write_number", renumber(lumora::CmdWriteNumber, lumora::kWriteNumberP1));
  RunCommand(link, "init_device", renumber(lumora::CmdInitDevice, lumora::kInitDeviceP1));

  // A datagram of each layout, as its builder wrote it.
  for (const auto* sent : {&seeds["command_datagram_fuzz"], &seeds["datagram_decoder_fuzz"]}) {
    for (const auto& [name, datagram] : *sent) {
      Add("link_datagrams_fuzz", std::to_string(datagram.size()), datagram);
    }
  }

  HostTableSeeds(link.room());
}

void FileSeeds() {
  const std::vector<stationsim::WorkerRow> workers = stationsim::MakeSampleWorkers(3, 2);
  std::string lamp_list = "# lamp station\n";
  for (const auto& row : workers) {
    lamp_list += std::string(row.tabnum.data()) + " " + std::to_string(row.station) + "\n";
  }
  std::vector<stationsim::WorkerRow> rows;
  std::string error;
  if (!stationsim::ParseWorkerText(lamp_list, rows, error) || rows.size() != workers.size()) {
    Fail("the simulator does not read the lamp list: " + error);
  }
  Add("worker_source_fuzz", "lamps", BytesOf(lamp_list));

  tolvex::ServerConfigRecord config;
  config.PollPeriod = 5;
  config.LogFile = 1;
  tolvex::StoreConfigText(config.Host, "localhost");
  tolvex::StoreConfigText(config.Login, "root");
  tolvex::StoreConfigText(config.Password, "q758");
  config.TimeEnabled = {1, 0, 1, 0};
  tolvex::StoreConfigText(config.Times[0], "07:00");
  tolvex::StoreConfigText(config.Times[2], "19:30");
  config.Magic = tolvex::kServerConfigMagic;
  std::array<std::uint8_t, tolvex::kServerConfigSize> image{};
  tolvex::EncodeServerConfig(config, image);
  if (tolvex::DecodeServerConfig(image).Magic != tolvex::kServerConfigMagic) {
    Fail("the server does not read its configuration");
  }
  Add("server_config_fuzz", "ddport", Bytes(image.begin(), image.end()));

  for (const std::string path : {"/opt/lamproom/tolvex", "/opt/lamp room/tolvex"}) {
    const std::string entry = sys::DesktopEntryText(tolvex::kAutoStartValueName, path);
    if (sys::DesktopEntryExec(entry) != path) Fail("the autostart entry does not read back");
    Add("autostart_entry_fuzz", path.find(' ') == std::string::npos ? "plain" : "blank",
        BytesOf(entry));
  }

  const std::string caption = "Монитор ЖВК (08.05.16)";
  const std::string caption_cp1251 = lamp::Utf8ToCp1251(caption);
  if (lamp::Cp1251ToUtf8(caption_cp1251) != caption) Fail("cp1251 does not read back");
  Add("cp1251_fuzz", "utf8", BytesOf(caption));
  Add("cp1251_fuzz", "cp1251", BytesOf(caption_cp1251));

  // Numbers as the programs show them ("%d", "%X") and as an operator may type them.
  const std::int32_t decimals[] = {42, -17, INT32_MIN};
  for (const std::int32_t value : decimals) {
    const std::string text = std::to_string(value);
    if (lamp::ReadDecimal(text) != value) Fail(text + " does not read back");
    Add("number_text_fuzz", "decimal" + text, BytesOf(text));
  }
  const std::uint32_t hexadecimals[] = {0xA09C, 0xFFFFFFFF};
  for (const std::uint32_t value : hexadecimals) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%X", value);
    const std::string text = std::string(" 0x") + digits;
    if (lamp::ReadHex(text) != value) Fail(text + " does not read back");
    Add("number_text_fuzz", std::string("hex") + digits, BytesOf(text));
  }

  forms::TForm main("MainForm");
  main.SetFormStyle(forms::TFormStyle::fsMDIForm);
  forms::TForm children[3] = {forms::TForm("Form1"), forms::TForm("Form2"), forms::TForm("Form3")};
  lumora::LayoutWindows windows;
  windows.main = &main;
  for (std::size_t i = 0; i < 3; ++i) {
    children[i].SetMdiParent(&main);
    windows.children[i] = &children[i];
  }
  const std::pair<const char*, void (*)(const lumora::LayoutWindows&)> layouts[] = {
      {"vid1", &lumora::ApplyLayoutVid1}, {"vid2", &lumora::ApplyLayoutVid2}};
  for (const auto& [name, apply] : layouts) {
    apply(windows);
    const auto record = lumora::FormatWindowLayout(lumora::CaptureWindowLayout(windows));
    if (!lumora::ParseWindowLayout(record)) Fail("the window layout does not read back");
    Add("window_layout_fuzz", name, Bytes(record.begin(), record.end()));
  }
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) Fail("cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) Fail("usage: fuzz-seeds DIR TARGET...");
  LinkSeeds();
  FileSeeds();

  const fs::path dir = argv[1];
  const std::set<std::string> targets(argv + 2, argv + argc);
  for (const auto& [target, inputs] : seeds) {
    if (targets.count(target) == 0) Fail("seeds for " + target + ", which is no fuzz target");
  }
  for (const std::string& target : targets) {
    if (seeds.count(target) == 0) Fail("no seeds for " + target);
  }
  for (const auto& [target, inputs] : seeds) {
    fs::remove_all(dir / target);
    fs::create_directories(dir / target / "found");
    fs::create_directories(dir / target / "seeds");
    for (const auto& [name, bytes] : inputs) WriteFile(dir / target / "seeds" / name, bytes);
  }
  return 0;
}
