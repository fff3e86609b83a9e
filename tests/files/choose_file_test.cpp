// The shared file chooser under Wine: the dialog driven as a user would
// (name typed, OK or Cancel), the appended extension, the initial folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "files/choose_file.h"
#include "tests/app/box_answerer.h"
#include "tests/app/scratch_folder.h"

namespace {

// A folder of its own for each test, made the current directory.
class ChooseFileTest : public ::testing::Test, protected ScratchFolder {
 protected:
  ChooseFileTest() : ScratchFolder("rcp-choose-") {}
  void TearDown() override { EXPECT_EQ(answerer.Unexpected(), 0) << "a box or file dialog nobody expected"; }
  void Touch(const std::string& name) { Write(name, ""); }

  BoxAnswerer answerer;
};

TEST(FilterForDialog, BarsBecomeNulsAndTheListEndsInTwo) {
  static const char expected[] = "Phonebook Files(*.pbf)\0*.pbf\0All files (*.*)\0*.*\0\0\0\0";
  EXPECT_EQ(FilterForDialog(kPhonebookFilter), std::string(expected, sizeof expected - 1));
}

TEST_F(ChooseFileTest, TypedNamesGetTheAppendedExtensionOnlyWhenTheyHaveNone) {
  struct Case {
    FileDialogMode mode;
    const char* defaultExt;
    uint32_t options;
    const char* typed;
    const char* appended;
    const char* expected;  // file name of the path returned
  } cases[] = {
      {FileDialogMode::Open, nullptr, 0, "backup", ".PBF", "backup.PBF"},
      {FileDialogMode::Open, nullptr, OFN_OVERWRITEPROMPT, "backup", ".STF", "backup.STF"},
      {FileDialogMode::Open, nullptr, 0, "old.pbf", ".PBF", "old.pbf"},
      {FileDialogMode::Save, "STF", OFN_OVERWRITEPROMPT, "backup", ".STF", "backup.STF"},
      {FileDialogMode::Save, "PBF", OFN_OVERWRITEPROMPT, "office.txt", ".PBF", "office.txt"},
      {FileDialogMode::Open, nullptr, 0, "image", nullptr, "image"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    if (c.mode == FileDialogMode::Open) Touch(c.typed);
    answerer.ExpectFile(c.typed);
    std::string path;
    ASSERT_TRUE(ChooseFile(c.mode, c.defaultExt, c.options, kAllFilesFilter, c.appended, path));
    EXPECT_EQ(path, m_dir + "\\" + c.expected);
  }
  ASSERT_EQ(answerer.fileDialogs.size(), std::size(cases));
}

TEST_F(ChooseFileTest, CancelReturnsNothing) {
  answerer.ExpectFile("");
  std::string path = "earlier";
  EXPECT_FALSE(ChooseFile(FileDialogMode::Open, nullptr, 0, kPhonebookFilter, ".PBF", path));
  EXPECT_EQ(path, "earlier");
}

TEST_F(ChooseFileTest, SaveOverAnExistingFileAsksFirst) {
  Touch("office.STF");
  answerer.ExpectFile("office.STF");
  answerer.Expect(IDYES);
  std::string path;
  ASSERT_TRUE(ChooseFile(FileDialogMode::Save, "STF", OFN_OVERWRITEPROMPT, kSettingsFilter, ".STF", path));
  EXPECT_EQ(path, m_dir + "\\office.STF");
  ASSERT_EQ(answerer.boxes.size(), 1u) << "the overwrite prompt";
}

}  // namespace
