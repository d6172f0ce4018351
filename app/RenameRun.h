// Renaming one file list row, and the closing report of a run: which files kept their
// names and why. Shared by the main window's rename run and the command-line companion.
#pragma once

#include <optional>
#include <string>
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

// Renames path to its new name unless its attributes are unknown (texts empty); never
// replaces an existing file.
RenameOutcome RenameRow(const std::string& path, const std::optional<AttributeTexts>& texts,
                        const RenameOptions& options);

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
