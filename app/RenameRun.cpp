#include "app/RenameRun.h"

#include <algorithm>

RenameOutcome RenameRow(const std::string& path, const std::optional<AttributeTexts>& texts,
                        const RenameOptions& options) {
  RenameOutcome outcome;
  outcome.from = path;
  if (!texts) {
    outcome.unread = true;
    return outcome;
  }
  outcome.to = BuildNewFileName(path, *texts, options);
  outcome.result = platform::RenameNoReplace(path, outcome.to);
  return outcome;
}

std::string RenameReason(const RenameOutcome& outcome) {
  if (outcome.unread) return "画像の情報を読み取れませんでした";
  switch (outcome.result) {
    case platform::RenameResult::Ok: return {};
    case platform::RenameResult::TargetExists: return "同じ名前のファイルが既にあります";
    case platform::RenameResult::SourceMissing: return "ファイルが見つかりません";
    case platform::RenameResult::NameTooLong: return "新しい名前が長すぎます";
    case platform::RenameResult::AccessDenied: return "アクセスが拒否されました";
    case platform::RenameResult::Failed: break;
  }
  return "名前を変更できませんでした";
}

RenameReportTexts RenameReport(const std::vector<RenameOutcome>& outcomes) {
  constexpr int kNamesShown = 10;
  RenameReportTexts report{"リネーム処理は終了しました。", {}};
  std::vector<std::pair<std::string, int>> reasons;  // in the order they first occur
  std::string names;
  int count = 0;
  for (const auto& o : outcomes) {
    if (o.renamed()) continue;
    const std::string reason = RenameReason(o);
    const auto it = std::find_if(reasons.begin(), reasons.end(), [&](const auto& r) { return r.first == reason; });
    if (it == reasons.end()) reasons.emplace_back(reason, 1);
    else ++it->second;
    const std::string line = o.from + " : " + reason;
    if (count < kNamesShown) names += "\n" + line;
    report.details += (report.details.empty() ? "" : "\n") + line;
    ++count;
  }
  if (count == 0) return report;
  report.text += "\n\n名前を変更できなかったファイル (" + std::to_string(count) + "):";
  for (const auto& [reason, n] : reasons) report.text += "\n  " + reason + " : " + std::to_string(n);
  report.text += "\n" + names;
  if (count > kNamesShown) report.text += "\n… ほか " + std::to_string(count - kNamesShown) + " 件 (詳細を参照)";
  return report;
}
