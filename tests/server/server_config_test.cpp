// The configuration record: its file image, loading, applying to the forms, saving, and the
// auto-start entry read back into the form.
#include "server/server_config.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/sys/autostart.h"
#include "platform/sys/file_replace.h"
#include "platform/sys/module_path.h"
#include "server/config_window.h"
#include "server/main_window.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;
using lamptest::ReadFileBytes;
using lamptest::WriteFileBytes;
using tolvex::ServerConfig;

std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::string TextAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return std::string(reinterpret_cast<const char*>(bytes.data() + at));
}

class ServerConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    forms::Application().UseManualClock();
    const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
    dir_ = fs::path(scratch != nullptr ? scratch : "/tmp/server_config_test") /
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "ddport.sbp";
    tolvex::SetServerConfigFilePath(file_.string());
    tolvex::SetAutoStartDirectory((dir_ / "autostart").string());
    ServerConfig = {};
    forms::Application().SetDialogService(&dialogs_);
  }
  void TearDown() override {
    forms::Application().SetDialogService(nullptr);
    tolvex::SetServerConfigFilePath({});
    tolvex::SetAutoStartDirectory({});
  }

  // A valid image of the built-in values, as "Сохранить" writes it.
  std::vector<std::uint8_t> SavedDefaults() {
    cfg_.BitBtn1Click();
    return ReadFileBytes(file_);
  }

  forms::ScriptedDialogService dialogs_;
  fs::path dir_;
  fs::path file_;
  tolvex::TForm1 main_;
  tolvex::TFormCFG cfg_;
};

TEST_F(ServerConfigTest, FormStartsWithTheBuiltInValues) {
  EXPECT_EQ(cfg_.Caption(), "Конфигурация");
  EXPECT_EQ(cfg_.Edit1.Text(), "5");
  EXPECT_EQ(cfg_.UpTT.Position(), 5);
  EXPECT_EQ(cfg_.UpTT.Min(), 5);
  EXPECT_EQ(cfg_.UpTT.Max(), 60);
  EXPECT_FALSE(cfg_.UpTT.Wrap());
  EXPECT_EQ(cfg_.EditU.Text(), "root");
  EXPECT_EQ(cfg_.EditP.Text(), "q758");
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  EXPECT_EQ(cfg_.EditH.Text(), host);
  EXPECT_EQ(cfg_.MaskEdit1.Text(), "01:00");
  EXPECT_EQ(cfg_.MaskEdit2.Text(), "07:00");
  EXPECT_EQ(cfg_.MaskEdit3.Text(), "13:00");
  EXPECT_EQ(cfg_.MaskEdit4.Text(), "19:00");
  EXPECT_EQ(cfg_.MaskEdit1.EditMask(), "!90:00;1;_");
  EXPECT_TRUE(cfg_.CheckT1.Checked());
  EXPECT_FALSE(cfg_.CheckT2.Checked() || cfg_.CheckT3.Checked() || cfg_.CheckT4.Checked());
  EXPECT_FALSE(cfg_.CheckHIDE.Checked() || cfg_.CheckLOG.Checked() || cfg_.CheckAUTO.Checked());
  EXPECT_EQ(cfg_.CheckHIDE.Caption(), "Скрыть при запуске");
  EXPECT_EQ(cfg_.CheckLOG.Caption(), "Запись лог-файла");
  EXPECT_EQ(cfg_.CheckAUTO.Caption(), "АВТО ПУСК");
  EXPECT_EQ(cfg_.BitBtn1.Caption(), "Сохранить");
  EXPECT_EQ(cfg_.BitBtn2.Caption(), "Тест");
}

TEST_F(ServerConfigTest, SavingTheBuiltInValuesWritesTheFixedImageForItsOwnerOnly) {
  const std::vector<std::uint8_t> image = SavedDefaults();
  ASSERT_EQ(image.size(), 240u);
  EXPECT_EQ(U32At(image, 8), 5u);
  EXPECT_EQ(U32At(image, 12), 0u);
  EXPECT_EQ(U32At(image, 16), 0u);
  EXPECT_EQ(image[236], 0x13);
  EXPECT_EQ(image[237], 0x55);
  EXPECT_EQ(image[238], 0x00);
  EXPECT_EQ(image[239], 0x00);
  EXPECT_EQ(TextAt(image, 28), cfg_.EditH.Text());
  EXPECT_EQ(TextAt(image, 60), "root");
  EXPECT_EQ(TextAt(image, 124), "q758");
  EXPECT_EQ(U32At(image, 156), 1u);
  EXPECT_EQ(U32At(image, 160), 0u);
  EXPECT_EQ(TextAt(image, 172), "01:00");
  EXPECT_EQ(TextAt(image, 188), "07:00");
  EXPECT_EQ(TextAt(image, 204), "13:00");
  EXPECT_EQ(TextAt(image, 220), "19:00");
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(image[i], 0) << i;
  for (std::size_t i = 20; i < 28; ++i) EXPECT_EQ(image[i], 0) << i;

  struct stat info {};
  ASSERT_EQ(stat(file_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(ServerConfigTest, SavingOverAnExistingFileKeepsItsModeAndOwner) {
  // Another user's copy of the server reads the same file: an administrator may have made it
  // group-readable and given it to another owner (as root the chown takes effect).
  WriteFileBytes(file_, std::vector<std::uint8_t>(240, 0));
  fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  (void)chown(file_.c_str(), getuid() + 1000, getgid() + 1000);
  struct stat before {};
  ASSERT_EQ(stat(file_.c_str(), &before), 0);
  cfg_.BitBtn1Click();
  struct stat after {};
  ASSERT_EQ(stat(file_.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(U32At(ReadFileBytes(file_), 236), tolvex::kServerConfigMagic);
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(ServerConfigTest, AFailedSaveIsReportedWithItsReason) {
  struct Case {
    fs::path file;
    std::string reason;
  };
  std::vector<Case> cases = {
      {dir_ / "missing" / "ddport.sbp", std::strerror(ENOENT)},  // cannot be created
      {"/dev/full", std::strerror(ENOSPC)},                      // cannot be written
  };
  // Directory permissions do not hold root back.
  if (geteuid() != 0) {
    fs::create_directory(dir_ / "locked");
    fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    cases.push_back({dir_ / "locked" / "ddport.sbp", std::strerror(EACCES)});
  }
  for (const Case& c : cases) {
    dialogs_.shown.clear();
    tolvex::SetServerConfigFilePath(c.file.string());
    cfg_.BitBtn1Click();
    ASSERT_EQ(dialogs_.shown.size(), 1u) << c.file;
    EXPECT_EQ(dialogs_.shown[0].text, "Не удалось сохранить " + c.file.string() + ": " + c.reason);
    EXPECT_EQ(dialogs_.shown[0].caption, "Ошибка");
    EXPECT_EQ(dialogs_.shown[0].flags, forms::MB_OK);
  }
}

// The disk fills, or the write stops part-way: the message box tells why, and the
// configuration the save was to replace is still there, byte for byte, with its mode and
// owner; where there was none, no empty file is left in its place.
TEST_F(ServerConfigTest, ASaveThatFailsPartWayKeepsTheOldFile) {
  struct Case {
    bool old_file;
    bool size_limit;  // else the disk is full before the first byte
    int error;
  };
  const Case cases[] = {{true, true, EFBIG}, {true, false, ENOSPC}, {false, false, ENOSPC}};
  for (const Case& c : cases) {
    fs::remove(file_);
    std::vector<std::uint8_t> old;
    if (c.old_file) {
      old = SavedDefaults();
      fs::permissions(file_,
                      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
      (void)chown(file_.c_str(), getuid() + 1000, getgid() + 1000);
    }
    struct stat before {};
    stat(file_.c_str(), &before);
    cfg_.EditP.SetText("другой");
    cfg_.UpTT.SetPosition(30);
    dialogs_.shown.clear();
    if (c.size_limit) {
      lamptest::FileSizeLimit limit(100);
      cfg_.BitBtn1Click();
    } else {
      sys::SetReplaceFault(
          [](sys::ReplaceStep step) { return step == sys::ReplaceStep::kWrite ? ENOSPC : 0; });
      cfg_.BitBtn1Click();
      sys::SetReplaceFault(nullptr);
    }
    ASSERT_EQ(dialogs_.shown.size(), 1u) << c.error;
    EXPECT_EQ(dialogs_.shown[0].text,
              "Не удалось сохранить " + file_.string() + ": " + std::strerror(c.error));
    EXPECT_EQ(dialogs_.shown[0].caption, "Ошибка");
    EXPECT_EQ(fs::exists(file_), c.old_file);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()),
              c.old_file ? 1 : 0);
    if (!c.old_file) continue;
    EXPECT_EQ(ReadFileBytes(file_), old);
    struct stat after {};
    ASSERT_EQ(stat(file_.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    ASSERT_EQ(tolvex::LoadServerConfig(), 0);
    EXPECT_EQ(ServerConfig.Magic, tolvex::kServerConfigMagic);
    EXPECT_EQ(tolvex::ConfigTextOf(ServerConfig.Password), "q758");
    cfg_.EditP.SetText("q758");
    cfg_.UpTT.SetPosition(5);
  }
}

TEST_F(ServerConfigTest, TextsLongerThanTheirFieldsAreCutAndBytesBehindTheNulStay) {
  std::vector<std::uint8_t> image = SavedDefaults();
  // Garbage behind the host's NUL and in the reserved bytes must survive a load and a save.
  image[40] = 'X';
  image[3] = 0xAB;
  image[25] = 0xCD;
  WriteFileBytes(file_, image);
  ASSERT_EQ(tolvex::LoadServerConfig(), 0);
  tolvex::ShowServerConfig();
  cfg_.EditH.SetText("abc");
  cfg_.EditU.SetText(std::string(80, 'u'));
  cfg_.EditP.SetText("пароль-очень-длинный-больше-тридцати");
  cfg_.MaskEdit2.SetText("7:30");
  cfg_.BitBtn1Click();
  const std::vector<std::uint8_t> saved = ReadFileBytes(file_);
  ASSERT_EQ(saved.size(), 240u);
  EXPECT_EQ(TextAt(saved, 28), "abc");
  EXPECT_EQ(saved[40], 'X');
  EXPECT_EQ(saved[3], 0xAB);
  EXPECT_EQ(saved[25], 0xCD);
  EXPECT_EQ(TextAt(saved, 60), std::string(63, 'u'));
  // cp1251 in the file: one byte per letter, cut to 31.
  const std::string password = TextAt(saved, 124);
  EXPECT_EQ(password.size(), 31u);
  EXPECT_EQ(static_cast<unsigned char>(password[0]), 0xEF);  // "п"
  EXPECT_EQ(TextAt(saved, 188), "7:30");
}

TEST_F(ServerConfigTest, LoadCountsTheBytesAndTakesOnlyAWholeImage) {
  const std::vector<std::uint8_t> image = SavedDefaults();
  struct Case {
    std::size_t size;
    int result;
    const char* shown;
    std::uint32_t magic;
  };
  for (const Case& c : {Case{239, 1, "239", 0u}, Case{240, 0, "240", 0x5513u},
                        Case{241, 0, "240", 0x5513u}, Case{0, 1, "0", 0u}}) {
    ServerConfig = {};
    ServerConfig.Magic = 0x5513;
    std::vector<std::uint8_t> bytes = image;
    bytes.resize(c.size, 0x77);
    WriteFileBytes(file_, bytes);
    EXPECT_EQ(tolvex::LoadServerConfig(), c.result) << c.size;
    EXPECT_EQ(cfg_.Edit2.Text(), c.shown) << c.size;
    EXPECT_EQ(ServerConfig.Magic, c.magic) << c.size;
  }
}

TEST_F(ServerConfigTest, AMissingFileLeavesTheRecordAndShowsZero) {
  ServerConfig.PollPeriod = 33;
  EXPECT_EQ(tolvex::LoadServerConfig(), 1);
  EXPECT_EQ(cfg_.Edit2.Text(), "0");
  EXPECT_EQ(ServerConfig.PollPeriod, 33);
  ServerConfig = {};
  tolvex::ShowServerConfig();
  EXPECT_EQ(main_.PollPeriod, 5);
  EXPECT_EQ(cfg_.EditP.Text(), "q758");
}

TEST_F(ServerConfigTest, AValidRecordFillsTheFormAndTheMainWindowUnclamped) {
  tolvex::ServerConfigRecord record;
  record.PollPeriod = 90;
  record.HideAtStart = 1;
  record.LogFile = 1;
  tolvex::StoreConfigText(record.Host, "dbhost");
  tolvex::StoreConfigText(record.Login, "operator");
  tolvex::StoreConfigText(record.Password, "секрет");
  record.TimeEnabled = {0, 1, 1, 0};
  const char* times[] = {"02:15", "08:00", "14:45", "20:30"};
  for (std::size_t k = 0; k < 4; ++k) tolvex::StoreConfigText(record.Times[k], times[k]);
  record.Magic = tolvex::kServerConfigMagic;
  std::array<std::uint8_t, 240> image{};
  tolvex::EncodeServerConfig(record, image);
  WriteFileBytes(file_, {image.begin(), image.end()});

  ASSERT_EQ(tolvex::LoadServerConfig(), 0);
  tolvex::ShowServerConfig();
  EXPECT_EQ(main_.PollPeriod, 90);
  EXPECT_EQ(main_.ReportEnabled, 1);
  EXPECT_EQ(cfg_.UpTT.Position(), 60);
  EXPECT_EQ(cfg_.Edit1.Text(), "60");
  EXPECT_TRUE(cfg_.CheckHIDE.Checked());
  EXPECT_TRUE(cfg_.CheckLOG.Checked());
  EXPECT_EQ(cfg_.EditH.Text(), "dbhost");
  EXPECT_EQ(cfg_.EditU.Text(), "operator");
  EXPECT_EQ(cfg_.EditP.Text(), "секрет");
  EXPECT_EQ(cfg_.MaskEdit1.Text(), "02:15");
  EXPECT_EQ(cfg_.MaskEdit4.Text(), "20:30");
  EXPECT_FALSE(cfg_.CheckT1.Checked());
  EXPECT_TRUE(cfg_.CheckT2.Checked());
  EXPECT_TRUE(cfg_.CheckT3.Checked());
  EXPECT_FALSE(cfg_.CheckT4.Checked());
}

TEST_F(ServerConfigTest, AWrongMagicIsReadButNotApplied) {
  std::vector<std::uint8_t> image = SavedDefaults();
  image[8] = 42;
  image[236] = 0x14;
  WriteFileBytes(file_, image);
  EXPECT_EQ(tolvex::LoadServerConfig(), 0);
  EXPECT_EQ(ServerConfig.PollPeriod, 42);
  tolvex::ShowServerConfig();
  EXPECT_EQ(main_.PollPeriod, 5);
  EXPECT_EQ(cfg_.UpTT.Position(), 5);
}

TEST_F(ServerConfigTest, SavingDoesNotChangeTheRunningPollPeriodButTheReportSwitchActsAtOnce) {
  cfg_.ConnectHandlers();
  cfg_.UpTT.SetPosition(20);
  cfg_.BitBtn1Click();
  EXPECT_EQ(main_.PollPeriod, 5);
  EXPECT_EQ(U32At(ReadFileBytes(file_), 8), 20u);
  cfg_.CheckLOG.Click();
  EXPECT_EQ(main_.ReportEnabled, 1);
  cfg_.CheckLOG.Click();
  EXPECT_EQ(main_.ReportEnabled, 0);
}

// The file for a lamp room: the built-in values as "Сохранить" writes them, with the shortest
// poll period whose pass reaches every cell of a station; the program's form stays FormCFG.
TEST_F(ServerConfigTest, BuiltInFileForALampRoomHasTheShortestPeriodReachingEveryCell) {
  const std::vector<std::uint8_t> defaults = SavedDefaults();
  const struct {
    std::uint32_t cells;
    std::uint8_t period;
  } cases[] = {{1, 5}, {56, 5}, {57, 6}, {60, 6}, {62, 6}, {63, 7}};
  for (const auto& c : cases) {
    const fs::path file = dir_ / ("cells" + std::to_string(c.cells));
    const tolvex::BuiltInServerConfig written =
        tolvex::SaveBuiltInServerConfig(file.string(), c.cells);
    EXPECT_EQ(written.failure, "") << c.cells;
    EXPECT_EQ(written.poll_period, c.period) << c.cells;
    EXPECT_EQ(written.built_in_poll_period, 5) << c.cells;
    std::vector<std::uint8_t> expected = defaults;
    expected[tolvex::kConfigPollPeriodOffset] = c.period;
    EXPECT_EQ(ReadFileBytes(file), expected) << c.cells;
  }
  EXPECT_EQ(tolvex::FormCFG, &cfg_);
  EXPECT_EQ(ServerConfig.PollPeriod, 5);

  EXPECT_EQ(tolvex::SaveBuiltInServerConfig((dir_ / "big").string(), 626).failure,
            "no poll period up to 60 s reaches 626 cells of a station");
  EXPECT_FALSE(fs::exists(dir_ / "big"));
  EXPECT_NE(tolvex::SaveBuiltInServerConfig((dir_ / "missing" / "ddport.sbp").string(), 60).failure,
            "");
}

TEST_F(ServerConfigTest, AFileThatCannotBeCreatedWritesNothing) {
  tolvex::SetServerConfigFilePath((dir_ / "missing" / "ddport.sbp").string());
  cfg_.BitBtn1Click();
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST_F(ServerConfigTest, TheFileLiesBesideTheExecutable) {
  tolvex::SetServerConfigFilePath({});
  EXPECT_EQ(tolvex::ServerConfigFilePath(),
            (fs::path(sys::ExecutablePath()).parent_path() / "ddport.sbp").string());
}

TEST_F(ServerConfigTest, AutoStartBoxFollowsTheEntry) {
  cfg_.ConnectHandlers();
  const sys::AutoStartEntries entries((dir_ / "autostart").string());
  cfg_.CheckAUTO.Click();
  EXPECT_TRUE(cfg_.CheckAUTO.Checked());
  EXPECT_EQ(entries.Read("ToLVEX"), sys::ExecutablePath());

  cfg_.CheckAUTO.Click();
  EXPECT_FALSE(cfg_.CheckAUTO.Checked());
  EXPECT_FALSE(fs::exists(entries.EntryPath("ToLVEX")));

  // The program was moved: the entry names another path and shows as unchecked, untouched.
  ASSERT_TRUE(entries.Write("ToLVEX", "/opt/elsewhere/tolvex"));
  cfg_.CheckAUTO.SetChecked(true);
  EXPECT_TRUE(cfg_.CheckAUTO.Checked());  // written back with this program's path
  EXPECT_EQ(entries.Read("ToLVEX"), sys::ExecutablePath());
  ASSERT_TRUE(entries.Write("ToLVEX", "/opt/elsewhere/tolvex"));
  cfg_.Activate();
  EXPECT_FALSE(cfg_.CheckAUTO.Checked());
  EXPECT_EQ(entries.Read("ToLVEX"), "/opt/elsewhere/tolvex");
  tolvex::ReadAutoStartState();
  EXPECT_FALSE(cfg_.CheckAUTO.Checked());
}

TEST_F(ServerConfigTest, AnAutoStartEntryThatCannotBeWrittenShowsUnchecked) {
  cfg_.ConnectHandlers();
  // A plain file where the directory should be: nothing can be written there.
  WriteFileBytes(dir_ / "blocked", {1});
  tolvex::SetAutoStartDirectory((dir_ / "blocked").string());
  cfg_.CheckAUTO.Click();
  EXPECT_FALSE(cfg_.CheckAUTO.Checked());
}

TEST(ServerConfigImage, EncodeAndDecodeKeepEveryByte) {
  std::array<std::uint8_t, 240> image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
  std::array<std::uint8_t, 240> again{};
  tolvex::EncodeServerConfig(tolvex::DecodeServerConfig(image), again);
  EXPECT_EQ(image, again);
  const tolvex::ServerConfigRecord record = tolvex::DecodeServerConfig(image);
  EXPECT_EQ(record.PollPeriod, 0x5049423B);  // bytes 8..11 little-endian
  EXPECT_EQ(record.Magic, U32At({image.begin(), image.end()}, 236));
}

}  // namespace
