// tesmarin-list: the renamer's attribute reading and renaming from the command line,
// through exactly the components and texts of the main window.
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/FileAttributes.h"
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
    "  --dry-run    with --rename: print old and new paths, rename nothing\n"
    "  --help       show this text\n"
    "The exit status is 1 when a file could not be read or renamed, 2 for bad usage.\n";

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  RenameOptions options;
  bool rename = false, dryRun = false, optionsEnded = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.empty() || arg[0] != '-') files.push_back(arg);
    else if (arg == "--") optionsEnded = true;
    else if (arg == "--help" || arg == "-h") { std::fputs(kUsage, stdout); return 0; }
    else if (arg == "--rename") rename = true;
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
  if (files.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  TVZqFile file;
  TVZqCommon common;
  bool failed = false;
  std::vector<std::optional<AttributeTexts>> read;
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
    read.push_back(std::move(texts));
  }
  if (!rename) return failed ? 1 : 0;

  for (std::size_t i = 0; i < files.size(); ++i) {
    if (dryRun) {
      if (read[i]) std::printf("%s\t%s\n", files[i].c_str(), BuildNewFileName(files[i], *read[i], options).c_str());
      continue;
    }
    const RenameOutcome outcome = RenameRow(files[i], read[i], options);
    if (outcome.renamed()) {
      std::printf("%s\t%s\n", outcome.from.c_str(), outcome.to.c_str());
    } else if (!outcome.unread) {
      failed = true;
      std::fprintf(stderr, "%s: %s\n", outcome.from.c_str(), RenameReason(outcome).c_str());
    }
  }
  return failed ? 1 : 0;
}
