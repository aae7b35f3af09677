#include "server/host_table.h"

#include <cstdio>
#include <cstring>

#include "link/number_text.h"
#include "platform/forms/application.h"
#include "platform/sys/module_path.h"

namespace tolvex {

HostEntry HostTable[kHostSlots];
std::int32_t HostCount = 0;

namespace {

std::string host_table_path;  // empty: "hostab.txt" beside the executable

bool IsBlank(std::uint8_t byte) {
  return static_cast<std::int8_t>(byte) <= 32;
}

// Copies the run of non-blank bytes starting at *at into out (cut to out_size - 1 bytes, the
// rest of the run skipped) and moves *at past the run.
void TakeField(const char* line, std::size_t length, std::size_t* at, char* out,
               std::size_t out_size) {
  std::size_t kept = 0;
  while (*at < length && !IsBlank(static_cast<std::uint8_t>(line[*at]))) {
    if (kept + 1 < out_size) out[kept++] = line[*at];
    ++*at;
  }
  out[kept] = '\0';
}

void SkipBlanks(const char* line, std::size_t length, std::size_t* at) {
  while (*at < length && IsBlank(static_cast<std::uint8_t>(line[*at]))) ++*at;
}

}  // namespace

// Line buffer, field and address texts are bounded: bytes of a line beyond the line buffer
// are dropped up to the line's end (the three fields of a real entry come long before), and a
// field or address text longer than its slot is cut to the slot's size. No valid entry needs
// any of these lengths, and the cut never reaches past a buffer.
bool HostTableReader::Feed(std::uint8_t byte) {
  if (stopped_) return false;
  const bool line_end = byte == '\r' || byte == '\n';
  // A lone CR or LF stays as the leading blank of the next line, so CR LF ends a line once.
  if (line_end && length_ == 0) {
    line_[length_++] = static_cast<char>(byte);
    return true;
  }
  if (length_ + 1 < sizeof line_) line_[length_++] = static_cast<char>(byte);
  if (!line_end) return true;
  ParseLine();
  length_ = 0;
  return !stopped_;
}

void HostTableReader::ParseLine() {
  std::size_t at = 0;
  SkipBlanks(line_, length_, &at);
  if (at == length_) {
    stopped_ = true;
    return;
  }
  if (line_[at] == '#' || line_[at] == ';') return;

  char number[kHostFieldSize];
  // Taken at most as long as the entry's text, the only place it goes.
  char address[kHostAddressTextSize];
  char port[kHostFieldSize];
  TakeField(line_, length_, &at, number, sizeof number);
  SkipBlanks(line_, length_, &at);
  if (at == length_) {
    stopped_ = true;
    return;
  }
  TakeField(line_, length_, &at, address, sizeof address);
  SkipBlanks(line_, length_, &at);
  if (at == length_) {
    stopped_ = true;
    return;
  }
  TakeField(line_, length_, &at, port, sizeof port);

  HostEntry& entry = table_[entries_];
  // A field that does not begin with a number gives 0.
  entry.StationNumber = lamp::ReadDecimal(number).value_or(0);
  std::snprintf(entry.AddressText, sizeof entry.AddressText, "%s", address);
  entry.Port = lamp::ReadDecimal(port).value_or(0);
  // Entries past the hundredth all land in slot 100, outside the count.
  if (entries_ < kMaxHosts) ++entries_;
}

int ParseHostTableText(std::span<const std::uint8_t> text, HostEntry* table, int& entries) {
  HostTableReader reader(table);
  for (std::uint8_t byte : text) {
    if (!reader.Feed(byte)) break;
  }
  entries = reader.Entries();
  return reader.Result();
}

void SetHostTablePath(std::string path) {
  host_table_path = std::move(path);
}

int LoadHostTable() {
  const std::string path =
      host_table_path.empty() ? sys::PathBesideExecutable("hostab.txt") : host_table_path;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    forms::Application().MessageBox("Нет файла hostab.txt", "Ошибка", forms::MB_OK);
    return -1;
  }
  HostTableReader reader(HostTable);
  int c;
  while ((c = std::fgetc(file)) != EOF) {
    if (!reader.Feed(static_cast<std::uint8_t>(c))) break;
  }
  std::fclose(file);
  // A stopped load leaves the count as it was; the entries read so far stand in their slots.
  if (!reader.Stopped()) HostCount = reader.Entries();
  return reader.Result();
}

int FindHostByNumber(int number) {
  for (int slot = 0; slot < HostCount; ++slot) {
    if (HostTable[slot].StationNumber == number) return slot;
  }
  return -1;
}

int FindHostByAddress(std::uint32_t address) {
  // 0 marks a slot never sent to; no datagram comes from that address anyway.
  if (address == 0) return -1;
  for (int slot = 0; slot < HostCount; ++slot) {
    if (HostTable[slot].ResolvedAddress == address) return slot;
  }
  return -1;
}

int GetHostCount() {
  return HostCount;
}

int FormatHostLine(char* text, int index) {
  if (index >= kHostLineIndexLimit || index < 0) return 1;
  const HostEntry& host = HostTable[index];
  std::snprintf(text, kHostLineTextSize, "%d   %s:%d", host.StationNumber, host.AddressText,
                host.Port);
  return 0;
}

std::vector<std::string> HostLines() {
  std::vector<std::string> lines;
  char line[kHostLineTextSize];
  const int count = GetHostCount();
  for (int i = 0; i < count; ++i) {
    if (FormatHostLine(line, i) == 0) lines.emplace_back(line);
  }
  return lines;
}

}  // namespace tolvex
