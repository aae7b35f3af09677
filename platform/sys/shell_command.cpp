#include "platform/sys/shell_command.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sys {

namespace {
ShellCommandRunner real_runner;
CommandRunner* current_runner = &real_runner;
}  // namespace

bool ShellCommandRunner::Start(const std::string& command, bool hidden) {
  // Everything the child needs is prepared before fork: after it only async-signal-safe
  // calls are made.
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  int null_fd = hidden ? open("/dev/null", O_RDWR | O_CLOEXEC) : -1;
  if (hidden && null_fd < 0) return false;
  pid_t child = fork();
  if (child < 0) {
    if (null_fd >= 0) close(null_fd);
    return false;
  }
  if (child == 0) {
    setsid();
    // The intermediate process ends at once; the command is adopted by init and so never
    // becomes a zombie of ours.
    pid_t grandchild = fork();
    if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
    if (null_fd >= 0) {
      dup2(null_fd, 0);
      dup2(null_fd, 1);
      dup2(null_fd, 2);
    }
    execv("/bin/sh", const_cast<char* const*>(argv));
    _exit(127);
  }
  if (null_fd >= 0) close(null_fd);
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

CommandRunner* SetCommandRunner(CommandRunner* runner) {
  CommandRunner* previous = current_runner;
  current_runner = runner != nullptr ? runner : &real_runner;
  return previous;
}

CommandRunner& CurrentCommandRunner() {
  return *current_runner;
}

std::uint32_t WinExec(const char* command, unsigned show) {
  if (command == nullptr || *command == '\0') return 0;
  return current_runner->Start(command, show == SW_HIDE) ? 33 : 0;
}

}  // namespace sys
