#include "platform/sys/shell_command.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct RecordingRunner : sys::CommandRunner {
  bool Start(const std::string& command, bool hidden) override {
    commands.push_back(command);
    hidden_flags.push_back(hidden);
    return accept;
  }
  std::vector<std::string> commands;
  std::vector<bool> hidden_flags;
  bool accept = true;
};

TEST(ShellCommand, WinExecGoesThroughTheReplacedRunner) {
  RecordingRunner recorder;
  sys::CommandRunner* previous = sys::SetCommandRunner(&recorder);
  EXPECT_GT(sys::WinExec("shutdown -s  -t 6", sys::SW_HIDE), 31u);
  EXPECT_GT(sys::WinExec("true", sys::SW_SHOWNORMAL), 31u);
  recorder.accept = false;
  EXPECT_EQ(sys::WinExec("refused", sys::SW_HIDE), 0u);
  EXPECT_EQ(sys::WinExec("", sys::SW_HIDE), 0u);
  EXPECT_EQ(sys::WinExec(nullptr, sys::SW_HIDE), 0u);
  ASSERT_EQ(recorder.commands.size(), 3u);
  EXPECT_EQ(recorder.commands[0], "shutdown -s  -t 6");
  EXPECT_EQ(recorder.hidden_flags, (std::vector<bool>{true, false, true}));
  sys::SetCommandRunner(previous);
  EXPECT_EQ(&sys::CurrentCommandRunner(), previous);
}

// The real runner starts a harmless command and returns without waiting for it.
TEST(ShellCommand, RealRunnerStartsAndDoesNotWait) {
  const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
  fs::path dir = scratch != nullptr ? fs::path(scratch) : fs::temp_directory_path();
  dir /= "shell_" + std::to_string(getpid());
  fs::create_directories(dir);
  const fs::path marker = dir / "done";

  sys::ShellCommandRunner runner;
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(runner.Start("sleep 1; echo ran > '" + marker.string() + "'", true));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(900));
  EXPECT_FALSE(fs::exists(marker));
  for (int i = 0; i < 100 && !fs::exists(marker); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::ifstream in(marker);
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "ran");
  fs::remove_all(dir);
}

}  // namespace
