// The journal of rename runs and their undo. Every run writes one journal file before it
// renames anything: the planned pairs of old and new paths, then each pair's outcome as
// it happens, each line flushed to the disk, so that a run cut off by a crash or a power
// loss still leaves a journal that undo can use. Undo renames each new name back with the
// same never-replacing rename, newest first, and records its own outcomes in the journal.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "app/RenameRun.h"
#include "platform/files.h"

struct JournalPair {
  std::string from;
  std::string to;
};

// One planned pair as the journal records it.
struct JournalEntry {
  std::string from;
  std::string to;
  bool renamed = false;  // the run recorded the rename as done
  bool undone = false;   // an undo recorded the old name as given back
  long long size = -1;   // the renamed file as it was just after the rename,
  long long mtime = 0;   // to tell it from another file put under its name since
};

struct Journal {
  std::string path;
  std::time_t started = 0;
  std::vector<JournalEntry> entries;
  bool undoFinished = false;  // an undo has gone through every pair

  // True while an undo would still rename something back.
  bool CanUndo() const;
};

// $XDG_STATE_HOME/tesmarin/journal/ (by default ~/.local/state/tesmarin/journal/).
std::string JournalFolder();
// The journals in the folder, oldest first.
std::vector<std::string> ListJournals();
// The newest journal, if any.
std::optional<std::string> LatestJournal();
// Reads a journal; a line cut off at its end is left out. Nothing when the file is not a
// journal.
std::optional<Journal> ReadJournal(const std::string& path);
// Removes journals older than 30 days and all but the newest 50.
void PruneJournals();

// The journal a run is writing. Without a journal folder it stays closed and the run
// goes on without one. A run that renamed nothing leaves no journal.
class JournalWriter {
 public:
  // Prunes old journals, creates a new one and writes the plan (full paths), flushed.
  explicit JournalWriter(const std::vector<JournalPair>& plan);
  ~JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  bool open() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }
  // The outcome of pair index, flushed before the next rename.
  void Record(std::size_t index, platform::RenameResult result);

 private:
  std::vector<JournalPair> plan_;
  int fd_ = -1;
  std::string path_;
  bool anyRenamed_ = false;
};

// What undo did with one pair it could not give back.
struct UndoFailure {
  std::string path;    // the new name, where the file was to be
  std::string reason;
};

struct UndoResult {
  int restored = 0;
  std::vector<UndoFailure> failures;
  bool nothingToUndo = false;  // an undone journal, or one without a done rename
};

// Gives back the old names of the journal's done renames, newest first, where the file
// is still under its new name and the old name is free; records each outcome and the
// end of the undo in the journal, so that a second undo does nothing.
UndoResult UndoJournal(const std::string& path);

// "リネームを元に戻しました。", followed by the files that kept their new names and why.
RenameReportTexts UndoReport(const UndoResult& result);
