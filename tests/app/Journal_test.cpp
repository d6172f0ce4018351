// Rename runs journaled on real files and undone: refused rows, files deleted, renamed
// again or replaced since, old names taken meanwhile, odd names, and a journal cut off
// by a crash.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "app/Journal.h"
#include "app/RenameRun.h"
#include "tests/support/ScratchVolume.h"
#include "tests/support/TempDir.h"

using testsupport::TempDir;

namespace {

const AttributeTexts kJpeg{"5", "RGB24", "2x2", "72dpi", "BASELINE", ".jpg"};
const RenameOptions kDpi{false, false, false, true, false};

std::vector<RenameOutcome> RunRows(const std::vector<std::string>& paths) {
  std::vector<RenameRowInput> rows;
  for (const auto& p : paths) rows.push_back({p, kJpeg});
  bool journaled = false;
  auto outcomes = RunRenames(rows, kDpi, nullptr, &journaled);
  EXPECT_TRUE(journaled);
  return outcomes;
}

const UndoFailure* FailureFor(const UndoResult& result, const std::string& path) {
  for (const auto& f : result.failures)
    if (f.path == path) return &f;
  return nullptr;
}

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::remove_all(JournalFolder()); }
  TempDir dir;
};

}  // namespace

TEST_F(JournalTest, UndoGivesBackWhatItSafelyCanAndSaysWhyNotTheRest) {
  const std::string nonUtf8 = std::string("\xff\xfe") + "\t%\n.JPG";
  const auto plain = dir.Write("plain.JPG", "plain");
  const auto japanese = dir.Write("夏の写真.JPG", "natsu");
  const auto odd = dir.Write(nonUtf8, "odd");
  const auto deleted = dir.Write("deleted.JPG", "deleted");
  const auto again = dir.Write("again.JPG", "again");
  const auto replaced = dir.Write("replaced.JPG", "replaced");
  const auto taken = dir.Write("taken.JPG", "taken");
  const auto refused = dir.Write("refused.JPG", "refused");
  dir.Write("refused_72dpi.jpg", "in the way");

  const auto outcomes = RunRows({plain, japanese, odd, deleted, again, replaced, taken, refused});
  ASSERT_EQ(outcomes.size(), 8u);
  for (std::size_t i = 0; i < 7; ++i) EXPECT_TRUE(outcomes[i].renamed()) << outcomes[i].from;
  EXPECT_EQ(outcomes[7].result, platform::RenameResult::TargetExists);
  const auto latest = LatestJournal();
  ASSERT_TRUE(latest);
  const auto journal = ReadJournal(*latest);
  ASSERT_TRUE(journal);
  ASSERT_EQ(journal->entries.size(), 8u);
  EXPECT_EQ(journal->entries[2].from, odd) << "exact bytes survive the journal";
  EXPECT_TRUE(journal->CanUndo());

  // What happened to the files since the run.
  ASSERT_TRUE(platform::DeleteFile(dir.path() + "deleted_72dpi.jpg"));
  ASSERT_EQ(platform::RenameNoReplace(dir.path() + "again_72dpi.jpg", dir.path() + "moved.jpg"),
            platform::RenameResult::Ok);
  ASSERT_TRUE(platform::DeleteFile(dir.path() + "replaced_72dpi.jpg"));
  dir.Write("replaced_72dpi.jpg", "another file altogether");
  dir.Write("taken.JPG", "a new file under the old name");

  const UndoResult undo = UndoJournal(*latest);
  EXPECT_FALSE(undo.nothingToUndo);
  EXPECT_EQ(undo.restored, 3);
  EXPECT_EQ(TempDir::Read(plain), "plain");
  EXPECT_EQ(TempDir::Read(japanese), "natsu");
  EXPECT_EQ(TempDir::Read(odd), "odd");
  ASSERT_EQ(undo.failures.size(), 4u);
  ASSERT_TRUE(FailureFor(undo, dir.path() + "deleted_72dpi.jpg"));
  EXPECT_NE(FailureFor(undo, dir.path() + "deleted_72dpi.jpg")->reason.find("ファイルが見つかりません"), std::string::npos);
  ASSERT_TRUE(FailureFor(undo, dir.path() + "again_72dpi.jpg"));
  EXPECT_EQ(TempDir::Read(dir.path() + "moved.jpg"), "again") << "a file renamed again is left alone";
  ASSERT_TRUE(FailureFor(undo, dir.path() + "replaced_72dpi.jpg"));
  EXPECT_EQ(TempDir::Read(dir.path() + "replaced_72dpi.jpg"), "another file altogether");
  EXPECT_FALSE(platform::FileExists(replaced));
  ASSERT_TRUE(FailureFor(undo, dir.path() + "taken_72dpi.jpg"));
  EXPECT_EQ(FailureFor(undo, dir.path() + "taken_72dpi.jpg")->reason, "元の名前のファイルが既にあります");
  EXPECT_EQ(TempDir::Read(taken), "a new file under the old name");
  EXPECT_EQ(TempDir::Read(dir.path() + "taken_72dpi.jpg"), "taken");
  EXPECT_EQ(TempDir::Read(refused), "refused") << "a refused row has nothing to give back";
  EXPECT_EQ(TempDir::Read(dir.path() + "refused_72dpi.jpg"), "in the way");

  const std::string report = UndoReport(undo).text;
  EXPECT_EQ(report.rfind("リネームを元に戻しました。", 0), 0u);
  EXPECT_NE(report.find("元に戻せなかったファイル (4):"), std::string::npos);

  // Undoing twice does nothing the second time, even once the way is clear.
  ASSERT_TRUE(platform::DeleteFile(taken));
  const UndoResult second = UndoJournal(*latest);
  EXPECT_TRUE(second.nothingToUndo);
  EXPECT_FALSE(platform::FileExists(taken));
  EXPECT_FALSE(ReadJournal(*latest)->CanUndo());
  EXPECT_EQ(UndoReport(second).text, "元に戻すリネーム処理はありません。");
}

TEST_F(JournalTest, AJournalCutAfterItsSecondOutcomeUndoesWhatItRecords) {
  const auto a = dir.Write("a.JPG", "A");
  const auto b = dir.Write("b.JPG", "B");
  const auto c = dir.Write("c.JPG", "C");
  RunRows({a, b, c});
  const auto latest = LatestJournal();
  ASSERT_TRUE(latest);
  // Cut the file as a power loss would: after the second outcome, inside the third.
  std::string text = TempDir::Read(*latest);
  const auto second = text.find("\ndone\t1\t");
  ASSERT_NE(second, std::string::npos);
  const auto cut = text.find('\n', second + 1) + 1;
  text = text.substr(0, cut) + "done\t2\to";
  std::ofstream(*latest, std::ios::binary | std::ios::trunc) << text;

  const UndoResult undo = UndoJournal(*latest);
  EXPECT_EQ(undo.restored, 2);
  EXPECT_TRUE(undo.failures.empty());
  EXPECT_EQ(TempDir::Read(a), "A");
  EXPECT_EQ(TempDir::Read(b), "B");
  EXPECT_EQ(TempDir::Read(dir.path() + "c_72dpi.jpg"), "C") << "not recorded as done, so left as it is";
}

TEST_F(JournalTest, NewestFirstAndOnlyRunsThatChangedAName) {
  const auto a = dir.Write("a.JPG", "A");
  RunRows({a});
  const auto first = LatestJournal();
  ASSERT_TRUE(first);
  RunRows({a});  // the file is gone: nothing renamed, no journal
  EXPECT_EQ(LatestJournal(), first);
  RunRows({dir.Write("b.JPG", "B")});
  const auto journals = ListJournals();
  ASSERT_EQ(journals.size(), 2u);
  EXPECT_EQ(journals[0], *first);
  EXPECT_EQ(LatestJournal(), journals[1]);
  EXPECT_FALSE(ReadJournal(dir.Write("junk.journal", "not a journal\n")));
}

TEST_F(JournalTest, OldJournalsAndAllButTheNewestFiftyGo) {
  std::filesystem::create_directories(JournalFolder());
  for (int i = 0; i < 60; ++i) {
    char name[48];
    std::snprintf(name, sizeof name, "20200101-0000%02d-000000000.journal", i);
    std::ofstream(JournalFolder() + name) << "tesmarin-journal 1\n";
  }
  // The newest name, but untouched for 31 days.
  const std::string stale = JournalFolder() + "29991231-000000-000000000.journal";
  std::ofstream(stale) << "tesmarin-journal 1\n";
  const timespec old[2] = {{std::time(nullptr) - 31 * 86400, 0}, {std::time(nullptr) - 31 * 86400, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, stale.c_str(), old, 0), 0);

  PruneJournals();
  const auto left = ListJournals();
  ASSERT_EQ(left.size(), 50u);
  EXPECT_EQ(left.front(), JournalFolder() + "20200101-000010-000000000.journal");
  EXPECT_FALSE(platform::FileExists(stale));
}

TEST_F(JournalTest, ARunOnACardIsUndoneOnThatCardAfterItWasTakenOut) {
  testsupport::ScratchVolume card(testsupport::VolumeKind::ExfatFuse);
  if (!card.mounted()) GTEST_SKIP() << "exFAT not tested: " << card.skipReason();
  const std::string dcim = card.path();
  for (const char* name : {"DSC0001.JPG", "DSC0002.JPG"}) std::ofstream(dcim + name) << name;
  std::vector<RenameRowInput> rows = {{dcim + "DSC0001.JPG", kJpeg}};
  RunRenames(rows, RenameOptions{}, nullptr);  // the extension alone: DSC0001.jpg
  RunRows({dcim + "DSC0002.JPG"});
  ASSERT_TRUE(card.Remount(false)) << card.skipReason();

  const auto journals = ListJournals();
  ASSERT_EQ(journals.size(), 2u);
  EXPECT_EQ(UndoJournal(journals[1]).restored, 1);
  EXPECT_EQ(UndoJournal(journals[0]).restored, 1);
  EXPECT_EQ(TempDir::Names(dcim), (std::set<std::string>{"DSC0001.JPG", "DSC0002.JPG"}));
}

TEST(JournalFolder, FollowsTheStateHome) {
  const std::string saved = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("XDG_STATE_HOME", "/srv/state", 1);
  EXPECT_EQ(JournalFolder(), "/srv/state/tesmarin/journal/");
  ::setenv("XDG_STATE_HOME", "relative/state", 1);
  EXPECT_EQ(JournalFolder(), home + "/.local/state/tesmarin/journal/") << "a relative state home is ignored";
  ::unsetenv("XDG_STATE_HOME");
  EXPECT_EQ(JournalFolder(), home + "/.local/state/tesmarin/journal/");
  ::setenv("XDG_STATE_HOME", saved.c_str(), 1);
}
