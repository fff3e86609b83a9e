// Backup file names: their form, which names are ours, their order by age
// and which ones go beyond the newest twenty.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ops/backup_names.h"

namespace {

TEST(BackupNames, SortByAgeAndOnlyTheNewestTwentyStay) {
  const BackupStamp stamp{2026, 12, 8, 18, 4, 20, 7};
  EXPECT_EQ(BackupFileName(BackupKind::Phonebook, stamp), "Diretorio-20261208-180420-007.PBF");
  EXPECT_EQ(BackupFileName(BackupKind::Settings, stamp), "Configuracoes-20261208-180420-007.STF");
  EXPECT_EQ(BackupStampText(stamp), "08/12/2026 18:04:20");

  const struct {
    const char* name;
    bool phonebook, settings;
  } cases[] = {
      {"Diretorio-20261208-180420-007.PBF", true, false},
      {"diretorio-20261208-180420-007.pbf", true, false},
      {"Configuracoes-20261208-180420-007.STF", false, true},
      {"Diretorio-20261308-180420-007.PBF", false, false},  // month 13
      {"Diretorio-20261208-180420.PBF", false, false},
      {"Diretorio-2026120x-180420-007.PBF", false, false},
      {"agenda.PBF", false, false},
      {"Diretorio-20261208-180420-007.STF", false, false},
  };
  for (const auto& c : cases) {
    BackupStamp parsed;
    EXPECT_EQ(ParseBackupFileName(c.name, BackupKind::Phonebook, &parsed), c.phonebook) << c.name;
    EXPECT_EQ(ParseBackupFileName(c.name, BackupKind::Settings), c.settings) << c.name;
    if (c.phonebook) {
      EXPECT_EQ(BackupStampText(parsed), "08/12/2026 18:04:20");
    }
  }

  std::vector<std::string> names = {"agenda.PBF", "Configuracoes-20200101-000000-000.STF"};
  for (int day = 1; day <= 25; ++day)
    names.push_back(BackupFileName(BackupKind::Phonebook, {2026, 11, day, 9, 0, 0, 0}));
  const auto newest = BackupsNewestFirst(names, BackupKind::Phonebook);
  ASSERT_EQ(newest.size(), 25u);
  EXPECT_EQ(newest.front(), "Diretorio-20261125-090000-000.PBF");
  const auto removed = BackupsToRemove(names, BackupKind::Phonebook);
  ASSERT_EQ(removed.size(), 5u);
  EXPECT_EQ(removed.front(), "Diretorio-20261105-090000-000.PBF");
  EXPECT_EQ(removed.back(), "Diretorio-20261101-090000-000.PBF");
  EXPECT_TRUE(BackupsToRemove(names, BackupKind::Settings).empty());
}

}  // namespace
