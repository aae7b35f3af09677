#pragma once
// Runs a shell command line and takes what it prints on standard output, with its exit status.
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace lamptest {

struct CommandRun {
  int status = -1;  // the exit status; -1 when it could not run or did not exit
  std::string output;
};

inline CommandRun RunCommand(const std::string& command) {
  CommandRun run;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace lamptest
