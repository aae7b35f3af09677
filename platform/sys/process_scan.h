#pragma once
// Which running processes were started from a given executable.
#include <string>

namespace sys {

// Counts the processes whose executable (the target of /proc/<pid>/exe) is exactly
// executable_path, byte for byte, own process included; a process whose file has been
// replaced since it started counts too. Processes whose executable cannot be read (another
// user's, or ended during the scan) count nothing.
int CountProcessesWithExecutable(const std::string& executable_path);

// Copies of the running program, own process included (1 when it runs alone).
int CountRunningCopiesOfSelf();

}  // namespace sys
