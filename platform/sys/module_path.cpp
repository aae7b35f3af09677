#include "platform/sys/module_path.h"

#include <unistd.h>

#include <cstring>
#include <string_view>

namespace sys {

std::string ExecutablePath() {
  std::string path(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<size_t>(length) >= path.size()) return {};
  path.resize(static_cast<size_t>(length));
  // After the program's file is replaced the kernel names it "<path> (deleted)"; the program
  // still was started from <path>.
  constexpr std::string_view kReplaced = " (deleted)";
  if (path.size() > kReplaced.size() && path.ends_with(kReplaced) &&
      access(path.c_str(), F_OK) != 0) {
    path.resize(path.size() - kReplaced.size());
  }
  return path;
}

std::uint32_t GetModuleFileNameA(const void* module, char* buffer, std::uint32_t size) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  if (module != nullptr) return 0;
  const std::string path = ExecutablePath();
  if (path.empty()) return 0;
  if (path.size() >= size) {
    std::memcpy(buffer, path.data(), size - 1);
    buffer[size - 1] = '\0';
    return size;
  }
  std::memcpy(buffer, path.data(), path.size() + 1);
  return static_cast<std::uint32_t>(path.size());
}

std::string DirectoryPrefix(std::string_view path) {
  if (path.size() <= 2) return std::string(path);
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  return std::string(path.substr(0, slash + 1));
}

std::string PathBesideExecutable(std::string_view file_name) {
  std::string path = DirectoryPrefix(ExecutablePath());
  path += file_name;
  return path;
}

}  // namespace sys
