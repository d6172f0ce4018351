#include "app/Journal.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/RenameRun.h"

namespace {

constexpr const char* kMagic = "tesmarin-journal 1";
constexpr const char* kSuffix = ".journal";
constexpr std::size_t kKeep = 50;
constexpr std::time_t kMaxAge = 30 * 24 * 60 * 60;

// Paths are kept as their exact bytes; only the bytes that would break a line or a
// field, and the escape itself, are written as %XX.
std::string Escape(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c < 0x20 || c == 0x7F || c == '%') {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    if (i + 2 >= s.size() || HexDigit(s[i + 1]) < 0 || HexDigit(s[i + 2]) < 0) return std::nullopt;
    out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
    i += 2;
  }
  return out;
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

const char* ResultCode(platform::RenameResult result) {
  switch (result) {
    case platform::RenameResult::Ok: return "ok";
    case platform::RenameResult::TargetExists: return "target-exists";
    case platform::RenameResult::SourceMissing: return "source-missing";
    case platform::RenameResult::NameTooLong: return "name-too-long";
    case platform::RenameResult::AccessDenied: return "access-denied";
    case platform::RenameResult::Failed: break;
  }
  return "failed";
}

std::optional<std::size_t> ParseIndex(const std::string& text, std::size_t count) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) return std::nullopt;
  const std::size_t index = std::stoul(text);
  return index < count ? std::optional<std::size_t>(index) : std::nullopt;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Appends lines and waits until the disk holds them.
bool AppendDurably(int fd, const std::string& lines) { return WriteAll(fd, lines) && ::fdatasync(fd) == 0; }

bool MakeFolders(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return platform::DirectoryExists(folder);
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return {};
}

}  // namespace

bool Journal::CanUndo() const {
  return !undoFinished && std::any_of(entries.begin(), entries.end(), [](const JournalEntry& e) {
           return e.renamed && !e.undone;
         });
}

std::string JournalFolder() {
  // A relative XDG_STATE_HOME is to be ignored, as the base directory rules say.
  const char* state = std::getenv("XDG_STATE_HOME");
  std::string base = state && state[0] == '/' ? std::string(state) : std::string();
  if (base.empty()) {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    base = home + "/.local/state";
  }
  return base + "/tesmarin/journal/";
}

std::vector<std::string> ListJournals() {
  std::vector<std::string> journals;
  const std::string folder = JournalFolder();
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > std::strlen(kSuffix) && name.ends_with(kSuffix) && entry.is_regular_file(ec))
      journals.push_back(folder + name);
  }
  // Names begin with the time of the run, so the name order is the order of the runs.
  std::sort(journals.begin(), journals.end());
  return journals;
}

std::optional<std::string> LatestJournal() {
  auto journals = ListJournals();
  if (journals.empty()) return std::nullopt;
  return journals.back();
}

std::optional<Journal> ReadJournal(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  Journal journal;
  journal.path = path;
  std::size_t start = 0;
  bool first = true;
  // Only whole lines count: the last one may have been cut off by a crash.
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = text.substr(start, end - start);
    if (first) {
      if (line != kMagic) return std::nullopt;
      first = false;
      continue;
    }
    const auto f = Split(line);
    if (f[0] == "started" && f.size() == 2 && !f[1].empty() && f[1].find_first_not_of("0123456789") == std::string::npos) {
      journal.started = static_cast<std::time_t>(std::stoll(f[1]));
    } else if (f[0] == "pair" && f.size() == 4 && ParseIndex(f[1], journal.entries.size() + 1) == journal.entries.size()) {
      auto from = Unescape(f[2]);
      auto to = Unescape(f[3]);
      if (!from || !to) continue;
      journal.entries.push_back({*from, *to});
    } else if (f[0] == "done" && f.size() >= 3) {
      const auto index = ParseIndex(f[1], journal.entries.size());
      if (!index || f[2] != "ok") continue;
      JournalEntry& e = journal.entries[*index];
      e.renamed = e.from != e.to;  // a name that stayed as it was has nothing to give back
      if (f.size() == 5) {
        e.size = std::strtoll(f[3].c_str(), nullptr, 10);
        e.mtime = std::strtoll(f[4].c_str(), nullptr, 10);
      }
    } else if (f[0] == "undo" && f.size() == 3) {
      const auto index = ParseIndex(f[1], journal.entries.size());
      if (index && f[2] == "ok") journal.entries[*index].undone = true;
    } else if (f[0] == "undone") {
      journal.undoFinished = true;
    }
  }
  if (first) return std::nullopt;
  return journal;
}

void PruneJournals() {
  auto journals = ListJournals();
  const std::time_t now = std::time(nullptr);
  std::vector<std::string> kept;
  for (const auto& path : journals) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && now - st.st_mtime > kMaxAge) {
      platform::DeleteFile(path);
    } else {
      kept.push_back(path);
    }
  }
  for (std::size_t i = 0; i + kKeep < kept.size(); ++i) platform::DeleteFile(kept[i]);
}

JournalWriter::JournalWriter(const std::vector<JournalPair>& plan) : plan_(plan) {
  const std::string folder = JournalFolder();
  if (folder.empty() || !MakeFolders(folder)) return;
  timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  // The name is the run's time in UTC to the nanosecond; a name already taken moves on
  // by a nanosecond, which keeps the name order the order of the runs.
  for (int attempt = 0; attempt < 1000 && fd_ < 0; ++attempt) {
    std::tm utc {};
    ::gmtime_r(&now.tv_sec, &utc);
    char name[64];
    std::snprintf(name, sizeof name, "%04d%02d%02d-%02d%02d%02d-%09ld%s", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, now.tv_nsec, kSuffix);
    path_ = folder + name;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (fd_ < 0 && errno != EEXIST) break;
    if (++now.tv_nsec == 1000000000L) {
      now.tv_nsec = 0;
      ++now.tv_sec;
    }
  }
  if (fd_ < 0) {
    path_.clear();
    return;
  }
  std::string text = std::string(kMagic) + "\nstarted\t" + std::to_string(now.tv_sec) + "\n";
  for (std::size_t i = 0; i < plan.size(); ++i)
    text += "pair\t" + std::to_string(i) + "\t" + Escape(plan[i].from) + "\t" + Escape(plan[i].to) + "\n";
  if (!AppendDurably(fd_, text)) {
    ::close(fd_);
    fd_ = -1;
    platform::DeleteFile(path_);
    path_.clear();
    return;
  }
  // The new journal's name reaches the disk too, not only its contents.
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  PruneJournals();
}

JournalWriter::~JournalWriter() {
  if (fd_ < 0) return;
  ::close(fd_);
  // A run that changed no name leaves nothing to undo, and must not hide the run before it.
  if (!anyRenamed_) platform::DeleteFile(path_);
}

void JournalWriter::Record(std::size_t index, platform::RenameResult result) {
  if (fd_ < 0 || index >= plan_.size()) return;
  const std::string& to = plan_[index].to;
  std::string line = "done\t" + std::to_string(index) + "\t" + ResultCode(result);
  struct stat st {};
  if (result == platform::RenameResult::Ok && ::lstat(to.c_str(), &st) == 0)
    line += "\t" + std::to_string(st.st_size) + "\t" + std::to_string(st.st_mtime);
  AppendDurably(fd_, line + "\n");
  if (result == platform::RenameResult::Ok && plan_[index].from != to) anyRenamed_ = true;
}

UndoResult UndoJournal(const std::string& path) {
  UndoResult result;
  const auto journal = ReadJournal(path);
  if (!journal) {
    result.failures.push_back({path, "リネームの記録を読み取れませんでした"});
    return result;
  }
  if (!journal->CanUndo()) {
    result.nothingToUndo = true;
    return result;
  }
  // Without a way to record the undo, a second undo could not know what the first did.
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) {
    result.failures.push_back({path, "リネームの記録に書き込めません"});
    return result;
  }
  for (std::size_t i = journal->entries.size(); i-- > 0;) {
    const JournalEntry& e = journal->entries[i];
    if (!e.renamed || e.undone) continue;
    std::string reason;
    platform::RenameResult outcome = platform::RenameResult::Failed;
    struct stat st {};
    if (::lstat(e.to.c_str(), &st) != 0) {
      reason = "ファイルが見つかりません (削除されたか、名前が変わっています)";
      outcome = platform::RenameResult::SourceMissing;
    } else if (e.size >= 0 && (st.st_size != e.size || st.st_mtime != e.mtime)) {
      reason = "リネームの後で変更されたか、別のファイルに置き換えられています";
    } else {
      outcome = platform::RenameNoReplace(e.to, e.from);
      if (outcome == platform::RenameResult::Ok) {
        ++result.restored;
      } else if (outcome == platform::RenameResult::TargetExists) {
        reason = "元の名前のファイルが既にあります";
      } else {
        RenameOutcome as{e.to, e.from, false, outcome};
        reason = RenameReason(as);
      }
    }
    if (!reason.empty()) result.failures.push_back({e.to, reason});
    AppendDurably(fd, "undo\t" + std::to_string(i) + "\t" + ResultCode(outcome) + "\n");
  }
  AppendDurably(fd, "undone\n");
  ::close(fd);
  return result;
}

RenameReportTexts UndoReport(const UndoResult& result) {
  if (result.nothingToUndo) return {"元に戻すリネーム処理はありません。", {}};
  std::vector<std::pair<std::string, std::string>> kept;
  for (const auto& f : result.failures) kept.emplace_back(f.path, f.reason);
  return ListedReport("リネームを元に戻しました。", "元に戻せなかったファイル", kept);
}
