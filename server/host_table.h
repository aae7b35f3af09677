#pragma once
// The host table: the server's list of charging stations, read from "hostab.txt" beside the
// executable. The sender finds a station by its number, the receive tick finds the slot of an
// incoming datagram by the address the sender last sent to.
//
// File format: one station per line (CR, LF or CR LF): number, dotted IPv4 address, UDP port,
// separated by blanks; anything after the third field is ignored; a line whose first
// non-blank byte is '#' or ';' is a comment. A blank is any byte that is 32 or less as a
// signed 8-bit value, so bytes 0x80..0xFF separate fields too.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tolvex {

inline constexpr int kHostSlots = 120;
inline constexpr int kMaxHosts = 100;
inline constexpr std::size_t kHostAddressTextSize = 64;
inline constexpr std::size_t kHostLineBufferSize = 1024;
inline constexpr std::size_t kHostFieldSize = 100;
// Enough for any FormatHostLine text and its NUL.
inline constexpr std::size_t kHostLineTextSize = 96;
// FormatHostLine gives no line from this index on.
inline constexpr int kHostLineIndexLimit = 110;

struct HostEntry {
  std::int32_t StationNumber = 0;
  std::int32_t Port = 0;
  char AddressText[kHostAddressTextSize] = {};
  // Network-order address of the last send to this slot; 0 until the sender sends to it.
  // A reload of the file leaves it alone.
  std::uint32_t ResolvedAddress = 0;
};

extern HostEntry HostTable[kHostSlots];
// Slots 0 .. HostCount - 1 are in use (at most kMaxHosts).
extern std::int32_t HostCount;

// Reads the file into the table. 0 = read to its end; -1 = no file (message box); k > 0 =
// stopped at a line of blanks or with fewer than three fields, k the 1-based entry number that
// line would have filled (the count then keeps its previous value).
int LoadHostTable();
// The file LoadHostTable reads; an empty path restores "hostab.txt" beside the executable.
void SetHostTablePath(std::string path);

// First slot below the count with this station number, else -1.
int FindHostByNumber(int number);
// First slot below the count last sent to at this address (network order), else -1.
int FindHostByAddress(std::uint32_t address);
int GetHostCount();
// text (at least kHostLineTextSize bytes) := "%d   %s:%d" (number, address, port) of slot
// index; result 0. Index kHostLineIndexLimit or more (or negative): result 1, text untouched.
int FormatHostLine(char* text, int index);
// The host list of the windows' "Host" buttons: the FormatHostLine line of every slot below
// the count that has one.
std::vector<std::string> HostLines();

// The parser behind LoadHostTable, byte by byte, writing into a table of kHostSlots entries.
// It never writes the count and never touches ResolvedAddress.
class HostTableReader {
 public:
  explicit HostTableReader(HostEntry* table) : table_(table) {}
  // Takes the next byte of the file. Returns false once reading has stopped; later bytes are
  // ignored.
  bool Feed(std::uint8_t byte);
  bool Stopped() const { return stopped_; }
  // Entries read so far (never above kMaxHosts).
  int Entries() const { return entries_; }
  // The load result: 0 when the file was read to its end, else the stop line's entry number.
  int Result() const { return stopped_ ? entries_ + 1 : 0; }

 private:
  void ParseLine();

  HostEntry* table_;
  char line_[kHostLineBufferSize] = {};
  std::size_t length_ = 0;  // bytes kept in line_ (at most its size - 1)
  int entries_ = 0;
  bool stopped_ = false;
};

// Runs the reader over a whole text. Returns the load result; entries holds the count the
// table would get (only meaningful when the result is 0).
int ParseHostTableText(std::span<const std::uint8_t> text, HostEntry* table, int& entries);

}  // namespace tolvex
