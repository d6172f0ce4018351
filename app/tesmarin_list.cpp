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
    "  --verify     also decode every file's pixels and report each file whose pixels\n"
    "               do not decode (its attributes are still printed)\n"
    "  --undo [JOURNAL]  give back the old names of a run (the latest by default)\n"
    "  --journals   list the journals of past runs, oldest first\n"
    "  --help       show this text\n"
    "Control characters and the backslash in printed paths are escaped (\\n, \\t, \\xNN,\n"
    "\\\\), so each file takes exactly one line.\n"
    "Every run keeps a journal under $XDG_STATE_HOME/tesmarin/journal/.\n"
    "The exit status is 1 when a file could not be read, decoded (--verify), renamed or\n"
    "given back its name, 2 for bad usage.\n";

// A path as one field of a tab-separated line: control characters and the backslash are
// escaped, so a name holding a newline or a tab cannot split or shift the line. Other
// bytes, UTF-8 or not, go out as they are.
std::string Escaped(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += ch;
    }
  }
  return out;
}

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
    std::printf("%s\t%s\t%zu/%zu\t%s\n", Escaped(path).c_str(), started, static_cast<std::size_t>(renamed),
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
  const RenameReportTexts report = UndoReport(result);
  std::printf("%s\n", report.text.c_str());
  // A terminal has room for every name the window's box folds away.
  if (std::count(report.details.begin(), report.details.end(), '\n') >= 10) std::printf("\n%s\n", report.details.c_str());
  return result.failures.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  RenameOptions options;
  bool rename = false, dryRun = false, verify = false, optionsEnded = false, undo = false;
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
    else if (arg == "--verify") verify = true;
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
    // Only a check of the pixels decodes them; the attributes come from the header.
    FileReading reading = ReadAttributes(file, common, path, verify ? PixelRead::Decode : PixelRead::Skip);
    const std::string shown = Escaped(path);
    if (!reading.texts) {
      failed = true;
      std::fprintf(stderr, "%s: 非対応フォーマットです。情報を読み取ることができませんでした。 (status %u)\n",
                   shown.c_str(), file.ErrorStatus);
    } else {
      if (verify && !reading.decoded) {
        failed = true;
        std::fprintf(stderr, "%s: 画像データを読み込めませんでした。 (status %u)\n", shown.c_str(), reading.loadStatus);
      }
      if (!rename) {
        const AttributeTexts& t = *reading.texts;
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\t%s\n", shown.c_str(), t.bytes.c_str(), t.colors.c_str(), t.pixels.c_str(),
                    t.dpi.c_str(), t.compression.c_str(), t.extension.c_str());
      }
    }
    rows.push_back({path, std::move(reading.texts)});
  }
  if (!rename) return failed ? 1 : 0;

  if (dryRun) {
    // The forecast: each row's new path, and the reason for each rename the run would refuse.
    for (const RenameOutcome& o : ForecastRenames(rows, options)) {
      if (o.unread) continue;  // already told above
      if (o.renamed()) {
        std::printf("%s\t%s\n", Escaped(o.from).c_str(), Escaped(o.to).c_str());
      } else {
        failed = true;
        std::printf("%s\t%s\t%s\n", Escaped(o.from).c_str(), Escaped(o.to).c_str(), RenameReason(o).c_str());
      }
    }
    return failed ? 1 : 0;
  }
  bool journaled = false;
  RunRenames(
      rows, options,
      [&](std::size_t, const RenameOutcome& outcome) {
        if (outcome.renamed()) {
          std::printf("%s\t%s\n", Escaped(outcome.from).c_str(), Escaped(outcome.to).c_str());
        } else if (!outcome.unread) {
          failed = true;
          std::fprintf(stderr, "%s: %s\n", Escaped(outcome.from).c_str(), RenameReason(outcome).c_str());
        }
      },
      &journaled);
  if (!journaled) std::fprintf(stderr, "tesmarin-list: no journal could be written under %s\n", JournalFolder().c_str());
  return failed ? 1 : 0;
}
