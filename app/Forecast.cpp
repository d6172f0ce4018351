#include "app/Forecast.h"

#include <sys/stat.h>
#include <unistd.h>

#include <set>

std::vector<RenameOutcome> ForecastRenames(const std::vector<RenameRowInput>& rows, const RenameOptions& options) {
  std::set<std::string> taken;  // new names that earlier rows will have given
  std::set<std::string> freed;  // old names that earlier rows will have left
  std::vector<RenameOutcome> forecast;
  for (const auto& row : rows) {
    RenameOutcome o;
    o.from = row.path;
    if (!row.texts) {
      o.unread = true;
      forecast.push_back(o);
      continue;
    }
    o.to = BuildNewFileName(row.path, *row.texts, options);
    const std::string from = platform::ExpandFileName(o.from);
    const std::string to = platform::ExpandFileName(o.to);
    struct stat st {};
    const bool sourceThere = (::lstat(o.from.c_str(), &st) == 0 && !freed.count(from)) || taken.count(from);
    const std::string folder = platform::ExtractFileDir(o.to);
    // The same checks in the same order as the platform's rename.
    if (o.from.size() >= platform::MaxPath || o.to.size() >= platform::MaxPath ||
        platform::ExtractFileName(o.to).size() > 255) {
      o.result = platform::RenameResult::NameTooLong;
    } else if (!sourceThere) {
      o.result = platform::RenameResult::SourceMissing;
    } else if (from == to) {
      o.result = platform::RenameResult::Ok;
    } else if (taken.count(to) || (!freed.count(to) && platform::NameTaken(o.from, o.to))) {
      o.result = platform::RenameResult::TargetExists;
    } else if (::access(folder.empty() ? "." : folder.c_str(), W_OK) != 0) {
      o.result = platform::RenameResult::AccessDenied;
    } else {
      freed.insert(from);
      taken.erase(from);
      taken.insert(to);
      freed.erase(to);
    }
    forecast.push_back(o);
  }
  return forecast;
}

std::string ForecastDetails(const std::vector<RenameOutcome>& forecast) {
  std::string text;
  for (const auto& o : forecast) {
    if (!text.empty()) text += "\n";
    text += o.from + " → " + (o.unread ? std::string("-") : platform::ExtractFileName(o.to));
    if (!o.renamed()) text += "  [" + RenameReason(o) + "]";
  }
  return text;
}
