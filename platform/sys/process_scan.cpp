#include "platform/sys/process_scan.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>

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
    if (executable_path.compare(0, std::string::npos, target, static_cast<size_t>(length)) == 0) {
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
