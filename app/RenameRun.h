// Renaming one file list row, and the closing report of a run: which files kept their
// names and why. Shared by the main window's rename run and the command-line companion.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/FileAttributes.h"
#include "platform/files.h"

struct RenameOutcome {
  std::string from;
  std::string to;  // empty when the row was left out
  bool unread = false;  // the file's attributes could not be read, so it was left out
  platform::RenameResult result = platform::RenameResult::Ok;

  bool renamed() const { return !unread && result == platform::RenameResult::Ok; }
};

// A row of the file list as the run takes it: the path and its attribute texts (none
// when they could not be read).
struct RenameRowInput {
  std::string path;
  std::optional<AttributeTexts> texts;
};

// Renames path to its new name unless its attributes are unknown (texts empty); never
// replaces an existing file.
RenameOutcome RenameRow(const std::string& path, const std::optional<AttributeTexts>& texts,
                        const RenameOptions& options);

// The whole run: writes the journal of the planned pairs first, then renames the rows in
// order, recording each outcome; progress is told after each row. journaled, when
// given, says whether a journal could be written (the run goes on without one).
std::vector<RenameOutcome> RunRenames(const std::vector<RenameRowInput>& rows, const RenameOptions& options,
                                      const std::function<void(std::size_t, const RenameOutcome&)>& progress,
                                      bool* journaled = nullptr);

// Why a file kept its name, as the report says it.
std::string RenameReason(const RenameOutcome& outcome);

// The closing report: "リネーム処理は終了しました。" first, then how many files kept their
// names for each reason and the first ten of them, so the box stays small however many
// there are; the details list every one.
struct RenameReportTexts {
  std::string text;
  std::string details;  // empty when every file was renamed
};
RenameReportTexts RenameReport(const std::vector<RenameOutcome>& outcomes);

// title, then, when there are any, heading with their count, how many there are for each
// reason and the first ten "path : reason" lines; the details list every one. The shape
// of the run's and the undo's reports.
RenameReportTexts ListedReport(const std::string& title, const std::string& heading,
                               const std::vector<std::pair<std::string, std::string>>& items);
