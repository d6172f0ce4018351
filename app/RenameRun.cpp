#include "app/RenameRun.h"

#include <algorithm>

#include "app/Journal.h"

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

std::vector<RenameOutcome> RunRenames(const std::vector<RenameRowInput>& rows, const RenameOptions& options,
                                      const std::function<void(std::size_t, const RenameOutcome&)>& progress,
                                      bool* journaled) {
  std::vector<JournalPair> plan;
  std::vector<std::size_t> planIndex(rows.size(), 0);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].texts) continue;
    planIndex[i] = plan.size();
    // Full paths, so that an undo started from another folder finds the files.
    plan.push_back({platform::ExpandFileName(rows[i].path),
                    platform::ExpandFileName(BuildNewFileName(rows[i].path, *rows[i].texts, options))});
  }
  JournalWriter journal(plan);
  if (journaled) *journaled = journal.open();
  std::vector<RenameOutcome> outcomes;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    RenameOutcome outcome = RenameRow(rows[i].path, rows[i].texts, options);
    if (!outcome.unread) journal.Record(planIndex[i], outcome.result);
    outcomes.push_back(std::move(outcome));
    if (progress) progress(i, outcomes.back());
  }
  return outcomes;
}

RenameReportTexts RenameReport(const std::vector<RenameOutcome>& outcomes) {
  std::vector<std::pair<std::string, std::string>> kept;
  for (const auto& o : outcomes)
    if (!o.renamed()) kept.emplace_back(o.from, RenameReason(o));
  return ListedReport("リネーム処理は終了しました。", "名前を変更できなかったファイル", kept);
}

RenameReportTexts ListedReport(const std::string& title, const std::string& heading,
                               const std::vector<std::pair<std::string, std::string>>& items) {
  constexpr std::size_t kNamesShown = 10;
  RenameReportTexts report{title, {}};
  if (items.empty()) return report;
  std::vector<std::pair<std::string, int>> reasons;  // in the order they first occur
  std::string names;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto& [path, reason] = items[i];
    const auto it = std::find_if(reasons.begin(), reasons.end(), [&](const auto& r) { return r.first == reason; });
    if (it == reasons.end()) reasons.emplace_back(reason, 1);
    else ++it->second;
    const std::string line = path + " : " + reason;
    if (i < kNamesShown) names += "\n" + line;
    report.details += (report.details.empty() ? "" : "\n") + line;
  }
  report.text += "\n\n" + heading + " (" + std::to_string(items.size()) + "):";
  for (const auto& [reason, n] : reasons) report.text += "\n  " + reason + " : " + std::to_string(n);
  report.text += "\n" + names;
  if (items.size() > kNamesShown)
    report.text += "\n… ほか " + std::to_string(items.size() - kNamesShown) + " 件 (詳細を参照)";
  return report;
}
