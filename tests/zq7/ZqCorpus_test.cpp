// Acceptance: every file of the public corpus typed by ZQFileType and compared with the
// expected values of its oracle, and every sound one loaded by ZQFileLoad at the size
// and resolution typing reports. Files marked broken only have to come back, with a
// status or values.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dib.h"
#include "platform/memory.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqFileLoad.h"
#include "zq7/Zq7File/ZqFileType.h"
#include "tests/support/SourcePath.h"

namespace {

struct OracleRow {
  std::string path;
  std::vector<long long> values;  // bytes, width, height, bits, xdpi, ydpi, code, pages
  bool broken = false;
};

// Files allowed to differ from the oracle, each with the reason. Empty: every file that
// is not broken types exactly as the oracle says.
const std::map<std::string, std::string> kKnownExceptions = {};

std::filesystem::path CorpusDir() {
  return std::filesystem::path(testsupport::SourcePath("../shared/corpus"));
}

std::vector<OracleRow> ReadOracle(const std::filesystem::path& file) {
  std::vector<OracleRow> rows;
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    OracleRow row;
    std::string field;
    std::getline(fields, row.path, '\t');
    for (int i = 0; i < 8 && std::getline(fields, field, '\t'); ++i) row.values.push_back(std::stoll(field));
    std::getline(fields, field);
    row.broken = field.rfind("broken", 0) == 0;
    if (row.values.size() == 8) rows.push_back(row);
  }
  return rows;
}

TEST(ZqCorpus, EveryFileTypesAsTheOracleSays) {
  const std::filesystem::path dir = CorpusDir();
  if (!std::filesystem::exists(dir / "oracle.tsv")) GTEST_SKIP() << "public corpus not found at " << dir << "; skipped";
  const std::vector<OracleRow> rows = ReadOracle(dir / "oracle.tsv");
  ASSERT_GT(rows.size(), 300u);

  static const char* const kNames[] = {"bytes", "width", "height", "bits_per_pixel", "xdpi", "ydpi", "code", "pages"};
  std::vector<std::string> unexpected;
  int typed = 0;
  for (const OracleRow& row : rows) {
    const std::string path = (dir / row.path).string();
    ZqFileInfo info{};
    const BOOL ok = ZQFileType(path.c_str(), 0, &info);
    if (row.broken) {
      // Damaged files: a status or values, never a crash; a later page too.
      ZQFileType(path.c_str(), 1, &info);
      ZqExifInfo exif{};
      ZQJpegExifInfo(path.c_str(), &exif);
      continue;
    }
    ++typed;
    std::string differences;
    if (!ok) {
      differences = " failed with status " + std::to_string(ZQGetErrorStatus());
    } else {
      const long long got[] = {info.fileSize, info.width, info.height, info.bitCount, info.xdpi, info.ydpi, info.code, info.pages};
      for (int i = 0; i < 8; ++i)
        if (got[i] != row.values[i])
          differences += std::string(" ") + kNames[i] + " " + std::to_string(got[i]) + " (expected " + std::to_string(row.values[i]) + ")";
    }
    if (differences.empty()) continue;
    const bool known = kKnownExceptions.count(row.path) != 0;
    std::cout << (known ? "known exception: " : "MISMATCH: ") << row.path << differences << "\n";
    if (!known) unexpected.push_back(row.path);
  }
  EXPECT_GT(typed, 250);
  EXPECT_TRUE(unexpected.empty()) << unexpected.size() << " files differ from the oracle (listed above)";
}

// Sound files the engine types but cannot decode, each with the reason.
const std::map<std::string, std::string> kUnloadable = {
    {"files/libjpeg-turbo/monkey12.jpg",
     "12-bit samples: Debian's libjpeg-turbo decodes 8-bit data only (ZQ_ERR_UNSUPPORTED)"},
};

TEST(ZqCorpus, EverySoundFileLoadsAsItTypes) {
  const std::filesystem::path dir = CorpusDir();
  if (!std::filesystem::exists(dir / "oracle.tsv")) GTEST_SKIP() << "public corpus not found at " << dir << "; skipped";
  std::vector<std::string> failed;
  int loaded = 0;
  for (const OracleRow& row : ReadOracle(dir / "oracle.tsv")) {
    if (row.broken) continue;
    const std::string path = (dir / row.path).string();
    ZqFileInfo info{};
    if (!ZQFileType(path.c_str(), 0, &info)) continue;  // the typing test reports it
    const HGLOBAL image = ZQFileLoad(path.c_str(), 0, 0, 0, nullptr, "", "", "");
    const WORD status = ZQGetErrorStatus();
    if (const auto known = kUnloadable.find(row.path); known != kUnloadable.end()) {
      EXPECT_EQ(image, 0u) << row.path << " loads now: take it off the list";
      EXPECT_EQ(status, ZQ_ERR_UNSUPPORTED) << row.path;
      std::cout << "known unloadable: " << row.path << ": " << known->second << "\n";
      continue;
    }
    if (!image) {
      std::cout << "NOT LOADED: " << row.path << " status " << status << "\n";
      failed.push_back(row.path);
      continue;
    }
    ++loaded;
    {
      const platform::GlobalLockGuard lock(image);
      const auto* h = lock.as<BITMAPINFOHEADER>();
      EXPECT_EQ(static_cast<DWORD>(h->biWidth), info.width) << row.path;
      EXPECT_EQ(platform::DibAbsHeight(*h), info.height) << row.path;
      EXPECT_EQ(platform::DpiFromPelsPerMeter(h->biXPelsPerMeter), info.xdpi) << row.path;
      EXPECT_EQ(platform::DpiFromPelsPerMeter(h->biYPelsPerMeter), info.ydpi) << row.path;
    }
    GlobalFree(image);
  }
  EXPECT_GT(loaded, 250);
  EXPECT_TRUE(failed.empty()) << failed.size() << " sound files do not load (listed above)";
}

}  // namespace
