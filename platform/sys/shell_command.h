#pragma once
// Running a shell command line the way the programs' WinExec does: start it and return at
// once. Every command goes through a runner that tests replace, so no test ever runs a real
// system command (such as a power-off).
#include <cstdint>
#include <string>

namespace sys {

inline constexpr unsigned SW_HIDE = 0;
inline constexpr unsigned SW_SHOWNORMAL = 1;

class CommandRunner {
 public:
  virtual ~CommandRunner() = default;
  // Starts command; true when it was started. hidden: no terminal output.
  virtual bool Start(const std::string& command, bool hidden) = 0;
};

// The real runner: /bin/sh -c command in a process of its own session, not waited for (it
// is reaped at once, so it leaves no zombie behind). A hidden command's input and output go
// to /dev/null.
class ShellCommandRunner : public CommandRunner {
 public:
  bool Start(const std::string& command, bool hidden) override;
};

// Replaces the runner (nullptr restores the real one); returns the previous one.
CommandRunner* SetCommandRunner(CommandRunner* runner);
CommandRunner& CurrentCommandRunner();

// Starts command with the current runner. Returns a value above 31 on success and 0 when
// the command could not be started (empty command line included).
std::uint32_t WinExec(const char* command, unsigned show);

}  // namespace sys
