// tesmarin-list: the renamer's attribute reading and renaming from the command line,
// through exactly the components and texts of the main window.
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/FileAttributes.h"
#include "app/Forecast.h"
#include "app/Journal.h"
#include "app/RenameRun.h"
#include "imaging/components/Zqcommon.h"
#include "imaging/components/Zqfile.h"

namespace {

constexpr const char* kUsage =
    "Usage: tesmarin-list [options] FILE...\n"
    "Prints one line per file: the path, then its size in bytes, colours, pixels,\n"
    "resolution, compression and target extension, separated by tabs.\n"
    "\n"
    "Options:\n"
    "  --rename     rename the files in the given order, appending the ticked texts\n"
    "  --byte       append the size in bytes       --bit    append the colours\n"
    "  --pixel      append width x height          --dpi    append the resolution\n"
    "  --type       append the compression\n"
    "  --dry-run    with --rename: print old and new paths, and the reason for each\n"
    "               rename that would be refused; rename nothing\n"
    "  --undo [JOURNAL]  give back the old names of a run (the latest by default)\n"
    "  --journals   list the journals of past runs, oldest first\n"
    "  --help       show this text\n"
    "Every run keeps a journal under $XDG_STATE_HOME/tesmarin/journal/.\n"
    "The exit status is 1 when a file could not be read, renamed or given back its\n"
    "name, 2 for bad usage.\n";

// One line per journal: its path, when the run started, how many names it changed, and
// whether it has been undone.
int ListJournalsCommand() {
  for (const auto& path : ListJournals()) {
    const auto journal = ReadJournal(path);
    if (!journal) continue;
    const auto renamed = std::count_if(journal->entries.begin(), journal->entries.end(),
                                       [](const JournalEntry& e) { return e.renamed; });
    char started[32] = "";
    std::tm local {};
    if (::localtime_r(&journal->started, &local)) std::strftime(started, sizeof started, "%Y-%m-%d %H:%M:%S", &local);
    std::printf("%s\t%s\t%zu/%zu\t%s\n", path.c_str(), started, static_cast<std::size_t>(renamed),
                journal->entries.size(), journal->CanUndo() ? "undo possible" : "nothing to undo");
  }
  return 0;
}

int UndoCommand(const std::string& given) {
  const auto latest = given.empty() ? LatestJournal() : std::optional<std::string>(given);
  if (!latest) {
    std::fputs("tesmarin-list: no journal to undo\n", stderr);
    return 1;
  }
  const UndoResult result = UndoJournal(*latest);
  std::printf("%s\n", UndoReport(result).c_str());
  return result.failures.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  RenameOptions options;
  bool rename = false, dryRun = false, optionsEnded = false, undo = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.empty() || arg[0] != '-') files.push_back(arg);
    else if (arg == "--") optionsEnded = true;
    else if (arg == "--help" || arg == "-h") { std::fputs(kUsage, stdout); return 0; }
    else if (arg == "--rename") rename = true;
    else if (arg == "--journals") return ListJournalsCommand();
    else if (arg == "--undo") undo = true;
    else if (arg == "--dry-run") dryRun = true;
    else if (arg == "--byte") options.bytes = true;
    else if (arg == "--bit") options.colors = true;
    else if (arg == "--pixel") options.pixels = true;
    else if (arg == "--dpi") options.dpi = true;
    else if (arg == "--type") options.compression = true;
    else {
      std::fprintf(stderr, "tesmarin-list: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }
  if (undo) {
    if (files.size() > 1 || rename) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    return UndoCommand(files.empty() ? std::string() : files[0]);
  }
  if (files.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  TVZqFile file;
  TVZqCommon common;
  bool failed = false;
  std::vector<RenameRowInput> rows;
  for (const auto& path : files) {
    auto texts = ReadAttributes(file, common, path);
    if (!texts) {
      failed = true;
      std::fprintf(stderr, "%s: 非対応フォーマットです。情報を読み取ることができませんでした。 (status %u)\n",
                   path.c_str(), file.ErrorStatus);
    } else if (!rename) {
      std::printf("%s\t%s\t%s\t%s\t%s\t%s\t%s\n", path.c_str(), texts->bytes.c_str(), texts->colors.c_str(),
                  texts->pixels.c_str(), texts->dpi.c_str(), texts->compression.c_str(), texts->extension.c_str());
    }
    rows.push_back({path, std::move(texts)});
  }
  if (!rename) return failed ? 1 : 0;

  if (dryRun) {
    // The forecast: each row's new path, and the reason for each rename the run would refuse.
    for (const RenameOutcome& o : ForecastRenames(rows, options)) {
      if (o.unread) continue;  // already told above
      if (o.renamed()) {
        std::printf("%s\t%s\n", o.from.c_str(), o.to.c_str());
      } else {
        failed = true;
        std::printf("%s\t%s\t%s\n", o.from.c_str(), o.to.c_str(), RenameReason(o).c_str());
      }
    }
    return failed ? 1 : 0;
  }
  bool journaled = false;
  RunRenames(
      rows, options,
      [&](std::size_t, const RenameOutcome& outcome) {
        if (outcome.renamed()) {
          std::printf("%s\t%s\n", outcome.from.c_str(), outcome.to.c_str());
        } else if (!outcome.unread) {
          failed = true;
          std::fprintf(stderr, "%s: %s\n", outcome.from.c_str(), RenameReason(outcome).c_str());
        }
      },
      &journaled);
  if (!journaled) std::fprintf(stderr, "tesmarin-list: no journal could be written under %s\n", JournalFolder().c_str());
  return failed ? 1 : 0;
}
