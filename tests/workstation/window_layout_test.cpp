// The window layout: the 56-byte record of "fprm.cfg", the two fixed layouts, the layout
// timer at start and the save on a confirmed close.
#include "workstation/window_layout.h"

#include <signal.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

#include "platform/sys/session_end.h"
#include "tests/support/test_files.h"
#include "tests/workstation/views_fixture.h"
#include "workstation/window_layout_record.h"

namespace {

using namespace lumora;
using lamptest::ReadFileBytes;
using lamptest::WriteFileBytes;
using views_test::InScratchDirectory;
using views_test::ViewsTest;

WindowLayout Numbered() {
  WindowLayout layout;
  for (std::size_t i = 0; i < kWindowLayoutFields; ++i) {
    layout.field[i] = static_cast<std::int32_t>(100 + 10 * i);
  }
  return layout;
}

TEST(WindowLayoutRecord, FieldsAreLittleEndianInt32InRecordOrder) {
  WindowLayout layout;
  layout.field[0] = 990;
  layout.field[1] = 1310;
  layout.field[13] = -2;
  const auto bytes = FormatWindowLayout(layout);
  EXPECT_EQ(bytes[0], 0xDE);
  EXPECT_EQ(bytes[1], 0x03);
  EXPECT_EQ(bytes[4], 0x1E);
  EXPECT_EQ(bytes[5], 0x05);
  for (std::size_t i = 52; i < 56; ++i) EXPECT_EQ(bytes[i], i == 52 ? 0xFE : 0xFF);
  const auto back = ParseWindowLayout(bytes);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->field, layout.field);
}

TEST(WindowLayoutRecord, OnlyExactly56BytesAreARecord) {
  const std::vector<std::uint8_t> bytes(200, 0x41);
  for (std::size_t n : {0u, 55u, 57u, 101u, 200u}) {
    EXPECT_FALSE(ParseWindowLayout(std::span(bytes.data(), n)).has_value()) << n;
  }
  EXPECT_TRUE(ParseWindowLayout(std::span(bytes.data(), 56)).has_value());
}

class WindowLayoutTest : public ViewsTest {
 protected:
  InScratchDirectory scratch_;

  // Each window's Left, Top, Width, Height.
  static std::vector<int> Place(const forms::TForm& form) {
    return {form.Left(), form.Top(), form.Width(), form.Height()};
  }
};

TEST_F(WindowLayoutTest, LoadLayoutRejectsMissingShortAndLongFiles) {
  EXPECT_EQ(LoadLayout(), 1);
  for (std::size_t n : {55u, 57u, 200u}) {
    WriteFileBytes(kWindowLayoutFile, std::vector<std::uint8_t>(n, 7));
    EXPECT_EQ(LoadLayout(), 1) << n;
  }
  const auto bytes = FormatWindowLayout(Numbered());
  WriteFileBytes(kWindowLayoutFile, {bytes.begin(), bytes.end()});
  EXPECT_EQ(LoadLayout(), 0);
  EXPECT_EQ(LoadedWindowLayout.field, Numbered().field);
}

TEST_F(WindowLayoutTest, StartTimerAppliesVid1WithoutAValidFile) {
  WriteFileBytes(kWindowLayoutFile, std::vector<std::uint8_t>(57, 1));
  forms::Application().AdvanceTime(19);
  EXPECT_TRUE(main_.TimerPOSF.Enabled());
  forms::Application().AdvanceTime(1);
  EXPECT_FALSE(main_.TimerPOSF.Enabled());
  EXPECT_EQ(Place(events_), (std::vector<int>{0, 410, 645, 285}));
  EXPECT_EQ(Place(overview_), (std::vector<int>{0, 0, 645, 400}));
  EXPECT_EQ(Place(station_), (std::vector<int>{650, 0, 620, 695}));
  EXPECT_EQ(main_.Width(), 1287);
  EXPECT_EQ(main_.Height(), 820);
}

TEST_F(WindowLayoutTest, ASaneRecordIsAppliedUnchangedAndSavedBackByteForByte) {
  WindowLayout layout;
  // Main window Height, Width; then Left, Top, Height, Width of Form1, Form2, Form3.
  layout.field = {900, 1200, 5, 420, 250, 700, 0, 0, 410, 640, 645, 3, 600, 550};
  const auto bytes = FormatWindowLayout(layout);
  WriteFileBytes(kWindowLayoutFile, {bytes.begin(), bytes.end()});
  forms::Application().AdvanceTime(20);
  EXPECT_EQ(main_.Height(), 900);
  EXPECT_EQ(main_.Width(), 1200);
  EXPECT_EQ(Place(events_), (std::vector<int>{5, 420, 700, 250}));
  EXPECT_EQ(Place(overview_), (std::vector<int>{0, 0, 640, 410}));
  EXPECT_EQ(Place(station_), (std::vector<int>{645, 3, 550, 600}));
  SaveLayout();
  EXPECT_EQ(ReadFileBytes(kWindowLayoutFile),
            std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

// A damaged record is read as it stands, and the window system keeps every window on the
// work area: no larger than it, no smaller than a form can be, its corner inside. A save
// then writes what the windows really are.
TEST_F(WindowLayoutTest, ADamagedRecordGivesWindowsWithinTheWorkArea) {
  const forms::ScreenRect area = forms::Application().WorkArea();
  WindowLayout huge;
  huge.field.fill(40000);
  WindowLayout negative;
  negative.field.fill(-40000);
  negative.field[kLayoutMainWidth] = std::numeric_limits<std::int32_t>::min();
  std::mt19937 random(16);
  std::vector<std::uint8_t> random_bytes(kWindowLayoutBytes);
  for (std::uint8_t& byte : random_bytes) byte = static_cast<std::uint8_t>(random());
  const auto huge_bytes = FormatWindowLayout(huge);
  const auto negative_bytes = FormatWindowLayout(negative);
  const std::vector<std::vector<std::uint8_t>> records = {
      {huge_bytes.begin(), huge_bytes.end()},
      {negative_bytes.begin(), negative_bytes.end()},
      random_bytes,
  };
  for (const std::vector<std::uint8_t>& record : records) {
    WriteFileBytes(kWindowLayoutFile, record);
    main_.TimerPOSFTimer();
    EXPECT_EQ(LoadedWindowLayout.field, ParseWindowLayout(record)->field);
    EXPECT_EQ(ReadFileBytes(kWindowLayoutFile), record);
    for (const forms::TForm* form :
         {static_cast<const forms::TForm*>(&main_), static_cast<const forms::TForm*>(&events_),
          static_cast<const forms::TForm*>(&overview_),
          static_cast<const forms::TForm*>(&station_)}) {
      const bool child = form != &main_;
      const int left = child ? 0 : area.left;
      const int top = child ? 0 : area.top;
      EXPECT_GE(form->Width(), forms::kMinFormWidth) << form->Name();
      EXPECT_LE(form->Width(), area.width) << form->Name();
      EXPECT_GE(form->Height(), forms::kMinFormHeight) << form->Name();
      EXPECT_LE(form->Height(), area.height) << form->Name();
      EXPECT_GE(form->Left(), left) << form->Name();
      EXPECT_LE(form->Left(), left + area.width - forms::kFormReach) << form->Name();
      EXPECT_GE(form->Top(), top) << form->Name();
      EXPECT_LE(form->Top(), top + area.height - forms::kFormReach) << form->Name();
    }
  }

  WriteFileBytes(kWindowLayoutFile, records[0]);
  main_.TimerPOSFTimer();
  SaveLayout();
  const auto saved = ParseWindowLayout(ReadFileBytes(kWindowLayoutFile));
  ASSERT_TRUE(saved.has_value());
  const int right = area.width - forms::kFormReach;
  const int bottom = area.height - forms::kFormReach;
  EXPECT_EQ(saved->field,
            (std::array<std::int32_t, 14>{area.height, area.width, right, bottom, area.height,
                                          area.width, right, bottom, area.height, area.width, right,
                                          bottom, area.height, area.width}));
}

TEST_F(WindowLayoutTest, Vid2ThenYesWritesItsSizesHeightFirst) {
  main_.WindowTileItem.Click();
  EXPECT_EQ(Place(events_), (std::vector<int>{652, 698, 630, 180}));
  EXPECT_EQ(Place(overview_), (std::vector<int>{3, 2, 645, 875}));
  EXPECT_EQ(Place(station_), (std::vector<int>{652, 2, 630, 695}));
  dialogs_.answers = {forms::IDYES};
  main_.FileExitItem.Click();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Сохранить?");
  EXPECT_EQ(dialogs_.shown[0].caption, "Выход");
  EXPECT_EQ(dialogs_.shown[0].flags, forms::MB_YESNOCANCEL);
  EXPECT_TRUE(forms::Application().Terminated());
  const auto saved = ParseWindowLayout(ReadFileBytes(kWindowLayoutFile));
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->field, (std::array<std::int32_t, 14>{990, 1310, 652, 698, 180, 630, 3, 2, 875,
                                                        645, 652, 2, 695, 630}));
  EXPECT_EQ(SavedWindowLayout.field, saved->field);

  // Back to "Вид1" from the menu.
  main_.WindowCascadeItem.Click();
  EXPECT_EQ(Place(station_), (std::vector<int>{650, 0, 620, 695}));
  EXPECT_EQ(main_.Width(), 1287);
}

TEST_F(WindowLayoutTest, NoClosesWithoutSavingAndCancelKeepsEverythingRunning) {
  dialogs_.answers = {forms::IDCANCEL};
  main_.Close();
  EXPECT_FALSE(forms::Application().Terminated());
  EXPECT_TRUE(main_.Visible());
  EXPECT_TRUE(main_.TimerINDIK.Enabled());
  EXPECT_TRUE(main_.Timer2.Enabled());
  EXPECT_FALSE(std::filesystem::exists(kWindowLayoutFile));

  const std::vector<std::uint8_t> before(56, 9);
  WriteFileBytes(kWindowLayoutFile, before);
  dialogs_.answers = {forms::IDNO};
  main_.Close();
  EXPECT_TRUE(forms::Application().Terminated());
  EXPECT_EQ(ReadFileBytes(kWindowLayoutFile), before);
}

TEST_F(WindowLayoutTest, EndSignalEndsWithoutTheCloseQuestionAndLeavesTheLayoutFile) {
  const std::vector<std::uint8_t> before(56, 9);
  WriteFileBytes(kWindowLayoutFile, before);
  InstallWorkstationEndHandlers();
  ASSERT_EQ(raise(SIGTERM), 0);
  EXPECT_FALSE(forms::Application().Terminated());  // delivered by the loop, not the signal
  EXPECT_TRUE(sys::PollEndRequest());
  EXPECT_TRUE(forms::Application().Terminated());
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_EQ(ReadFileBytes(kWindowLayoutFile), before);
  sys::SetEndRequestHandler(nullptr);
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
}

TEST_F(WindowLayoutTest, SaveIntoAnUnwritablePlaceReportsNothing) {
  SaveLayout("no-such-directory/fprm.cfg");
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_EQ(SavedWindowLayout.field[kLayoutMainWidth], main_.Width());
}

// A new file is made as any program's new file is; a save that stops part-way reports
// nothing either, and leaves the old layout for the next start.
TEST_F(WindowLayoutTest, ASaveThatFailsPartWayKeepsTheOldFile) {
  main_.WindowTileItem.Click();
  SaveLayout();
  struct stat made {};
  ASSERT_EQ(::stat(kWindowLayoutFile, &made), 0);
  EXPECT_EQ(made.st_mode & 07777, 0666 & ~lamptest::CurrentUmask());
  const std::vector<std::uint8_t> before = ReadFileBytes(kWindowLayoutFile);

  main_.WindowCascadeItem.Click();
  {
    lamptest::FileSizeLimit limit(20);
    SaveLayout();
  }
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_EQ(ReadFileBytes(kWindowLayoutFile), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch_.dir()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(LoadLayout(), 0);
  EXPECT_EQ(LoadedWindowLayout.field[kLayoutMainWidth], 1310);
}

}  // namespace
