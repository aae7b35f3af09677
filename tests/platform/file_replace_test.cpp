// Replacing a file's contents: the exact bytes, the mode and owner kept, a failure at any step
// leaving the old file whole, the write in place where the directory is locked, links and
// devices.
#include "platform/sys/file_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using lamptest::ReadFileBytes;
using lamptest::WriteFileBytes;
using sys::ReplaceStep;

Bytes Pattern(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  return bytes;
}

struct stat StatOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info;
}

// The step the seam fails, and how.
ReplaceStep failed_step = ReplaceStep::kWrite;
int failed_with = 0;
int FailOneStep(ReplaceStep step) {
  return step == failed_step ? failed_with : 0;
}

class FileReplace : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
    dir_ = fs::path(scratch != nullptr ? scratch : "/tmp/file_replace_test") /
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "ddport.sbp";
  }
  void TearDown() override {
    sys::SetReplaceFault(nullptr);
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }

  static int Replace(const fs::path& path, const Bytes& bytes,
                     mode_t mode = sys::kOwnerOnlyFileMode) {
    return sys::ReplaceFileContents(path.string(), bytes, mode);
  }
  static void FailStep(ReplaceStep step, int error) {
    failed_step = step;
    failed_with = error;
    sys::SetReplaceFault(FailOneStep);
  }
  // An old file as an administrator left it: group-readable and, where the test may give it
  // away (as root), another user's.
  void MakeOldFile(const Bytes& bytes) {
    WriteFileBytes(file_, bytes);
    fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    (void)::chown(file_.c_str(), getuid() + 1000, getgid() + 1000);
  }
  // Nothing but the file itself is left in the directory.
  void ExpectOnlyTheFile() {
    for (const auto& entry : fs::directory_iterator(dir_)) {
      EXPECT_EQ(entry.path(), file_);
    }
  }

  fs::path dir_;
  fs::path file_;
};

TEST_F(FileReplace, ANewFileHoldsExactlyTheBytesWithTheModeAsked) {
  const mode_t mask = lamptest::CurrentUmask();
  for (const mode_t mode : {sys::kOwnerOnlyFileMode, sys::kSharedFileMode}) {
    fs::remove(file_);
    const Bytes bytes = Pattern(240, static_cast<std::uint8_t>(mode));
    ASSERT_EQ(Replace(file_, bytes, mode), 0);
    EXPECT_EQ(ReadFileBytes(file_), bytes);
    EXPECT_EQ(StatOf(file_).st_mode & 07777, mode & ~mask) << std::oct << mode;
    EXPECT_EQ(StatOf(file_).st_uid, geteuid());
    ExpectOnlyTheFile();
  }
}

TEST_F(FileReplace, AnExistingFileIsReplacedWholeAndKeepsItsModeAndOwner) {
  MakeOldFile(Pattern(300, 1));
  const struct stat before = StatOf(file_);
  const Bytes bytes = Pattern(240, 2);
  ASSERT_EQ(Replace(file_, bytes, sys::kSharedFileMode), 0);
  EXPECT_EQ(ReadFileBytes(file_), bytes);
  const struct stat after = StatOf(file_);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  ExpectOnlyTheFile();
}

TEST_F(FileReplace, AFailureAtAnyStepLeavesTheOldFileWhole) {
  struct Case {
    ReplaceStep step;
    int error;
  };
  const Case cases[] = {
      {ReplaceStep::kCreateTemporary, ENOSPC},  // a full disk is no locked directory
      {ReplaceStep::kWrite, EIO},
      {ReplaceStep::kSync, EIO},
      {ReplaceStep::kRename, EXDEV},
  };
  const Bytes old = Pattern(240, 3);
  MakeOldFile(old);
  const struct stat before = StatOf(file_);
  for (const Case& c : cases) {
    FailStep(c.step, c.error);
    EXPECT_EQ(Replace(file_, Pattern(240, 4)), c.error) << static_cast<int>(c.step);
    EXPECT_EQ(ReadFileBytes(file_), old) << static_cast<int>(c.step);
    EXPECT_EQ(StatOf(file_).st_ino, before.st_ino);
    EXPECT_EQ(StatOf(file_).st_mode, before.st_mode);
    ExpectOnlyTheFile();
  }
}

TEST_F(FileReplace, AWriteCutShortPartWayLeavesTheOldFileWhole) {
  const Bytes old = Pattern(240, 5);
  MakeOldFile(old);
  const struct stat before = StatOf(file_);
  {
    lamptest::FileSizeLimit limit(100);
    EXPECT_EQ(Replace(file_, Pattern(240, 6)), EFBIG);
  }
  EXPECT_EQ(ReadFileBytes(file_), old);
  EXPECT_EQ(StatOf(file_).st_mode, before.st_mode);
  EXPECT_EQ(StatOf(file_).st_uid, before.st_uid);
  ExpectOnlyTheFile();

  // No old file: nothing is left behind either.
  fs::remove(file_);
  {
    lamptest::FileSizeLimit limit(100);
    EXPECT_EQ(Replace(file_, Pattern(240, 6)), EFBIG);
  }
  EXPECT_TRUE(fs::is_empty(dir_));
}

// Where no new file can be made beside the old one, or the new one could not be given the old
// one's owner, the old file is written where it stands.
TEST_F(FileReplace, WhereTheDirectoryIsLockedTheOldFileIsWrittenInPlace) {
  struct Case {
    ReplaceStep step;
    int error;
  };
  std::vector<Case> cases = {{ReplaceStep::kCreateTemporary, EACCES},
                             {ReplaceStep::kCreateTemporary, EPERM},
                             {ReplaceStep::kGiveOwner, EPERM}};
  if (geteuid() != 0) cases.push_back({ReplaceStep::kWrite, 0});  // a real read-only directory
  for (const Case& c : cases) {
    fs::permissions(dir_, fs::perms::owner_all);
    MakeOldFile(Pattern(300, 7));  // longer than the new contents
    const struct stat before = StatOf(file_);
    if (c.error != 0) {
      FailStep(c.step, c.error);
    } else {
      fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    }
    const Bytes bytes = Pattern(240, 8);
    EXPECT_EQ(Replace(file_, bytes), 0) << static_cast<int>(c.step) << " " << c.error;
    EXPECT_EQ(ReadFileBytes(file_), bytes);
    const struct stat after = StatOf(file_);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    ExpectOnlyTheFile();
    sys::SetReplaceFault(nullptr);
  }

  // In place, a write cut short keeps the old file's length and its bytes behind the cut: the
  // file was not emptied first.
  fs::permissions(dir_, fs::perms::owner_all);
  const Bytes old = Pattern(300, 9);
  MakeOldFile(old);
  FailStep(ReplaceStep::kCreateTemporary, EACCES);
  {
    lamptest::FileSizeLimit limit(100);
    EXPECT_EQ(Replace(file_, Pattern(240, 10)), EFBIG);
  }
  const Bytes left = ReadFileBytes(file_);
  ASSERT_EQ(left.size(), 300u);
  EXPECT_TRUE(std::equal(left.begin() + 100, left.end(), old.begin() + 100));
}

TEST_F(FileReplace, ALinkStaysAndTheFileItNamesIsReplaced) {
  fs::create_directory(dir_ / "real");
  const fs::path real = dir_ / "real" / "ddport.sbp";
  WriteFileBytes(real, Pattern(240, 11));
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(real, file_);
  const Bytes bytes = Pattern(240, 12);
  ASSERT_EQ(Replace(file_, bytes), 0);
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_EQ(ReadFileBytes(real), bytes);
  EXPECT_EQ(StatOf(real).st_mode & 07777, 0640u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "real"), fs::directory_iterator()), 1);
}

TEST_F(FileReplace, ADeviceIsWrittenWhereItIs) {
  EXPECT_EQ(Replace("/dev/full", Pattern(240, 13)), ENOSPC);
  EXPECT_TRUE(S_ISCHR(StatOf("/dev/full").st_mode));
  EXPECT_FALSE(fs::exists("/dev/full.new"));
}

TEST_F(FileReplace, WhatCannotBeWrittenIsRefused) {
  EXPECT_EQ(Replace(dir_ / "missing" / "ddport.sbp", Pattern(240, 14)), ENOENT);
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  // Directory and file modes do not hold root back.
  if (geteuid() == 0) return;
  const Bytes old = Pattern(240, 15);
  WriteFileBytes(file_, old);
  fs::permissions(file_, fs::perms::owner_read);
  EXPECT_EQ(Replace(file_, Pattern(240, 16)), EACCES);
  EXPECT_EQ(ReadFileBytes(file_), old);
  ExpectOnlyTheFile();
  fs::remove(file_);
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(Replace(file_, Pattern(240, 16)), EACCES);  // no old file to write in place
  EXPECT_FALSE(fs::exists(file_));
}

}  // namespace
