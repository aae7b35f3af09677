#include "server/server_config.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "link/cp1251.h"
#include "link/little_endian.h"
#include "platform/sys/autostart.h"
#include "platform/sys/file_replace.h"
#include "platform/sys/module_path.h"

namespace tolvex {

ServerConfigRecord ServerConfig{};

namespace {

std::string config_file_override;
std::string autostart_directory_override;

template <std::size_t N, typename T>
void ReadBytes(std::span<const std::uint8_t, kServerConfigSize> image, std::size_t at,
               std::array<T, N>& out) {
  static_assert(sizeof(T) == 1);
  std::memcpy(out.data(), image.data() + at, N);
}

template <std::size_t N, typename T>
void WriteBytes(std::span<std::uint8_t, kServerConfigSize> image, std::size_t at,
                const std::array<T, N>& in) {
  static_assert(sizeof(T) == 1);
  std::memcpy(image.data() + at, in.data(), N);
}

}  // namespace

void EncodeServerConfig(const ServerConfigRecord& record,
                        std::span<std::uint8_t, kServerConfigSize> image) {
  WriteBytes(image, kConfigReserved0Offset, record.Reserved0);
  lamp::WriteI32(image, kConfigPollPeriodOffset, record.PollPeriod);
  lamp::WriteI32(image, kConfigHideAtStartOffset, record.HideAtStart);
  lamp::WriteI32(image, kConfigLogFileOffset, record.LogFile);
  WriteBytes(image, kConfigReserved1Offset, record.Reserved1);
  WriteBytes(image, kConfigHostOffset, record.Host);
  WriteBytes(image, kConfigLoginOffset, record.Login);
  WriteBytes(image, kConfigPasswordOffset, record.Password);
  for (std::size_t k = 0; k < 4; ++k) {
    lamp::WriteI32(image, kConfigTimeEnabledOffset + 4 * k, record.TimeEnabled[k]);
    WriteBytes(image, kConfigTimesOffset + 16 * k, record.Times[k]);
  }
  lamp::WriteU32(image, kConfigMagicOffset, record.Magic);
}

ServerConfigRecord DecodeServerConfig(std::span<const std::uint8_t, kServerConfigSize> image) {
  ServerConfigRecord record;
  ReadBytes(image, kConfigReserved0Offset, record.Reserved0);
  record.PollPeriod = lamp::ReadI32(image, kConfigPollPeriodOffset);
  record.HideAtStart = lamp::ReadI32(image, kConfigHideAtStartOffset);
  record.LogFile = lamp::ReadI32(image, kConfigLogFileOffset);
  ReadBytes(image, kConfigReserved1Offset, record.Reserved1);
  ReadBytes(image, kConfigHostOffset, record.Host);
  ReadBytes(image, kConfigLoginOffset, record.Login);
  ReadBytes(image, kConfigPasswordOffset, record.Password);
  for (std::size_t k = 0; k < 4; ++k) {
    record.TimeEnabled[k] = lamp::ReadI32(image, kConfigTimeEnabledOffset + 4 * k);
    ReadBytes(image, kConfigTimesOffset + 16 * k, record.Times[k]);
  }
  record.Magic = lamp::ReadU32(image, kConfigMagicOffset);
  return record;
}

void StoreConfigText(std::span<char> field, std::string_view utf8) {
  if (field.empty()) return;
  // Converted into a scratch buffer first, so the bytes behind the new NUL keep what the
  // field held.
  std::array<char, 64> converted{};
  const std::size_t limit = std::min(field.size(), converted.size());
  const std::size_t length = lamp::Utf8ToCp1251(utf8, std::span<char>(converted.data(), limit));
  std::memcpy(field.data(), converted.data(), length);
  field[length] = '\0';
}

std::string ConfigTextOf(std::span<const char> field) {
  const auto end = std::find(field.begin(), field.end(), '\0');
  return lamp::Cp1251ToUtf8(
      std::string_view(field.data(), static_cast<std::size_t>(end - field.begin())));
}

std::string ServerConfigFilePath() {
  if (!config_file_override.empty()) return config_file_override;
  // The whole path, never a cut one: a cut path could name a parent directory.
  return sys::DirectoryPrefix(sys::ExecutablePath()) + kServerConfigFileName;
}

void SetServerConfigFilePath(std::string path) {
  config_file_override = std::move(path);
}

std::string AutoStartDirectory() {
  if (!autostart_directory_override.empty()) return autostart_directory_override;
  return sys::kSystemAutostartDirectory;
}

void SetAutoStartDirectory(std::string directory) {
  autostart_directory_override = std::move(directory);
}

std::size_t ReadServerConfigFile() {
  std::FILE* file = std::fopen(ServerConfigFilePath().c_str(), "rb");
  if (file == nullptr) return 0;
  std::array<std::uint8_t, kServerConfigSize> image{};
  std::size_t count = 0;
  while (count < image.size()) {
    const int c = std::fgetc(file);
    if (c == EOF) break;
    image[count++] = static_cast<std::uint8_t>(c);
  }
  std::fclose(file);
  if (count == kServerConfigSize) {
    ServerConfig = DecodeServerConfig(image);
  } else {
    ServerConfig.Magic = 0;
  }
  return count;
}

std::string SaveServerConfig() {
  return SaveServerConfigRecord(ServerConfig, ServerConfigFilePath());
}

std::string SaveServerConfigRecord(const ServerConfigRecord& record, const std::string& path) {
  std::array<std::uint8_t, kServerConfigSize> image{};
  EncodeServerConfig(record, image);
  // A new file is its owner's alone: it holds the database password in plain text.
  const int error = sys::ReplaceFileContents(path, image, sys::kOwnerOnlyFileMode);
  if (error == 0) return {};
  return "Не удалось сохранить " + path + ": " + std::strerror(error);
}

}  // namespace tolvex
