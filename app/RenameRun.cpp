#include "app/RenameRun.h"

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

std::string RenameReport(const std::vector<RenameOutcome>& outcomes) {
  std::string text = "リネーム処理は終了しました。";
  std::string kept;
  int count = 0;
  for (const auto& o : outcomes) {
    if (o.renamed()) continue;
    ++count;
    kept += "\n" + o.from + " : " + RenameReason(o);
  }
  if (count > 0) text += "\n\n名前を変更できなかったファイル (" + std::to_string(count) + "):" + kept;
  return text;
}
