#pragma once
// The server's settings: one fixed-size record, stored as the raw 240-byte image
// "ddport.sbp" beside the program, and the machine-wide auto-start entry "ToLVEX".
//
// The image is little-endian and its layout is fixed (peers and older files rely on it), so it
// is encoded and decoded field by field rather than by copying the struct.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tolvex {

inline constexpr std::size_t kServerConfigSize = 240;
inline constexpr std::uint32_t kServerConfigMagic = 0x5513;
inline constexpr char kServerConfigFileName[] = "ddport.sbp";
inline constexpr char kAutoStartValueName[] = "ToLVEX";

// Offsets of the image.
inline constexpr std::size_t kConfigReserved0Offset = 0;
inline constexpr std::size_t kConfigPollPeriodOffset = 8;
inline constexpr std::size_t kConfigHideAtStartOffset = 12;
inline constexpr std::size_t kConfigLogFileOffset = 16;
inline constexpr std::size_t kConfigReserved1Offset = 20;
inline constexpr std::size_t kConfigHostOffset = 28;
inline constexpr std::size_t kConfigLoginOffset = 60;
inline constexpr std::size_t kConfigPasswordOffset = 124;
inline constexpr std::size_t kConfigTimeEnabledOffset = 156;
inline constexpr std::size_t kConfigTimesOffset = 172;
inline constexpr std::size_t kConfigMagicOffset = 236;

// Texts are single-byte (cp1251), NUL-terminated within their field; the bytes behind the
// NUL are kept as the record held them.
struct ServerConfigRecord {
  std::array<std::uint8_t, 8> Reserved0{};
  std::int32_t PollPeriod = 0;   // seconds
  std::int32_t HideAtStart = 0;  // 1 = hide the main window at start
  std::int32_t LogFile = 0;      // 1 = report file on
  std::array<std::uint8_t, 8> Reserved1{};
  std::array<char, 32> Host{};
  std::array<char, 64> Login{};
  std::array<char, 32> Password{};
  std::array<std::int32_t, 4> TimeEnabled{};
  std::array<std::array<char, 16>, 4> Times{};
  std::uint32_t Magic = 0;  // kServerConfigMagic = a valid record
};

// The program's one configuration record, zero at load.
extern ServerConfigRecord ServerConfig;

// The 240-byte image of a record, and back.
void EncodeServerConfig(const ServerConfigRecord& record,
                        std::span<std::uint8_t, kServerConfigSize> image);
ServerConfigRecord DecodeServerConfig(std::span<const std::uint8_t, kServerConfigSize> image);

// Copies a UTF-8 text into a text field as cp1251, cut to the field's width less one, and
// ends it with a NUL; the bytes behind the NUL stay as they were.
void StoreConfigText(std::span<char> field, std::string_view utf8);
// The text of a field up to its first NUL (or its whole width), as UTF-8.
std::string ConfigTextOf(std::span<const char> field);

// Where "ddport.sbp" lies: beside the executable, unless a test has named another file.
std::string ServerConfigFilePath();
void SetServerConfigFilePath(std::string path);  // empty: beside the executable

// Where the auto-start entry lives: the machine's autostart directory unless a test has
// named another.
std::string AutoStartDirectory();
void SetAutoStartDirectory(std::string directory);  // empty: the machine's

// Reads the file into ServerConfig and returns the number of bytes read, at most 240: with
// 240 (a longer file's first 240 count) the record is taken; a short file clears the magic; a
// missing one (0) leaves the record as it was.
std::size_t ReadServerConfigFile();
// Writes the 240-byte image of ServerConfig through ReplaceFileContents: a failed save leaves
// the old file as it was. A new file is readable and writable by its owner only (it holds the
// database password in plain text); an existing one keeps its mode and owner. Returns an
// empty text when the image was written, else what failed and why.
std::string SaveServerConfig();
// The same for a given record and file.
std::string SaveServerConfigRecord(const ServerConfigRecord& record, const std::string& path);

}  // namespace tolvex
