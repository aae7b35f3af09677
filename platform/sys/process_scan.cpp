#include "platform/sys/process_scan.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <string_view>

#include "platform/sys/module_path.h"

namespace sys {

namespace {
bool IsProcessId(const char* name) {
  if (*name == '\0') return false;
  for (; *name != '\0'; ++name) {
    if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
  }
  return true;
}
// A process keeps running from a file that was replaced since it started (an update of the
// program); the kernel then names its executable "<path> (deleted)". It is still a copy
// started from that path.
bool SameExecutable(std::string_view path, std::string_view target) {
  constexpr std::string_view kReplaced = " (deleted)";
  if (target == path) return true;
  return target.size() == path.size() + kReplaced.size() && target.substr(0, path.size()) == path &&
         target.substr(path.size()) == kReplaced;
}
}  // namespace

int CountProcessesWithExecutable(const std::string& executable_path) {
  if (executable_path.empty()) return 0;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return 0;
  int count = 0;
  std::string link;
  char target[4096];
  while (dirent* entry = readdir(proc)) {
    if (!IsProcessId(entry->d_name)) continue;
    link = "/proc/";
    link += entry->d_name;
    link += "/exe";
    ssize_t length = readlink(link.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof target) continue;
    if (SameExecutable(executable_path, std::string_view(target, static_cast<size_t>(length)))) {
      ++count;
    }
  }
  closedir(proc);
  return count;
}

int CountRunningCopiesOfSelf() {
  return CountProcessesWithExecutable(ExecutablePath());
}

}  // namespace sys
