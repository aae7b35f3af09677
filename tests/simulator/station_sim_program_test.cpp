// The station-sim program from its command line: bad options are named, a good command line
// writes the host table and serves the stations until its time is up.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct ProgramRun {
  int exit_code = -1;
  std::string output;
};

ProgramRun StationSim(const std::string& arguments) {
  const fs::path scratch = std::getenv("LAMP_TEST_SCRATCH") ? std::getenv("LAMP_TEST_SCRATCH")
                                                            : fs::temp_directory_path();
  fs::create_directories(scratch);
  const fs::path out = scratch / "station-sim.out";
  const std::string command = std::string(LAMP_BINARY_DIR) + "/simulator/station-sim " + arguments +
                              " > " + out.string() + " 2>&1";
  ProgramRun run;
  const int status = std::system(command.c_str());
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream file(out);
  std::stringstream text;
  text << file.rdbuf();
  run.output = text.str();
  return run;
}

class StationSimProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(fs::path(LAMP_BINARY_DIR) / "simulator/station-sim")) {
      FAIL() << "station-sim is not built";
    }
  }
};

TEST_F(StationSimProgram, NamesABadCommandLineAndExitsWithTwo) {
  struct Case {
    const char* arguments;
    const char* message;
  };
  const Case cases[] = {
      {"--bogus", "unknown option --bogus"},
      {"--drop", "--drop needs a value"},
      {"--drop 1.5", "--drop: \"1.5\" is not a number from 0 to 1"},
      {"--cells 61", "--cells: \"61\" is not a number from 1 to 60"},
      {"--time-scale 0", "--time-scale: \"0\" is not a number from 0.001 to 100000"},
      {"--time-scale nan", "--time-scale: \"nan\" is not a number from 0.001 to 100000"},
      {"--time-scale inf", "--time-scale: \"inf\" is not a number from 0.001 to 100000"},
      {"--duration -nan", "--duration: \"-nan\" is not a number from 0 to 1e+09"},
      {"--silence 001a01:9:3", "is not TARGET:FROM:UNTIL with FROM before UNTIL"},
      {"--workers a.txt --database", "--workers and --database exclude each other"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = StationSim(c.arguments);
    EXPECT_EQ(run.exit_code, 2) << c.arguments;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << ": " << run.output;
  }
  const ProgramRun missing = StationSim("--workers /no/such/lamps.txt");
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.output.find("cannot read /no/such/lamps.txt"), std::string::npos);
}

TEST_F(StationSimProgram, WritesTheHostTableOfItsLampListAndEndsWhenItsTimeIsUp) {
  const fs::path dir = std::getenv("LAMP_TEST_SCRATCH") ? std::getenv("LAMP_TEST_SCRATCH")
                                                        : fs::temp_directory_path();
  fs::create_directories(dir);
  {
    std::ofstream lamps(dir / "lamps.txt");
    lamps << "# number station\n007aaa 7\n007aab 7\n042aaa 42\n";
  }
  const fs::path hostab = dir / "hostab.txt";
  fs::remove(hostab);
  const ProgramRun run = StationSim("--workers " + (dir / "lamps.txt").string() + " --hostab " +
                                    hostab.string() + " --address-base 120 --port " +
                                    std::to_string(30000 + getpid() % 20000) + " --duration 0.5");
  ASSERT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("2 stations, 3 cells"), std::string::npos) << run.output;
  std::ifstream file(hostab);
  std::stringstream text;
  text << file.rdbuf();
  const std::string port = std::to_string(30000 + getpid() % 20000);
  EXPECT_EQ(text.str(), "7 127.0.0.127 " + port + "\n42 127.0.0.162 " + port + "\n");
}

}  // namespace
