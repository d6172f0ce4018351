#include "tests/support/ScriptedDialogs.h"

namespace testsupport {

int ScriptedDialogs::MessageBox(QWidget*, const std::string& text, const std::string& caption, UINT type) {
  log_->messages.push_back({text, caption, type});
  if ((type & MB_TYPEMASK) != MB_YESNO) return IDOK;
  if (answers.empty()) {
    ++log_->unanswered;
    return IDNO;
  }
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

void ScriptedDialogs::MessageBeep(UINT) { ++log_->beeps; }

platform::OpenDialogResult ScriptedDialogs::OpenFile(QWidget*, const platform::OpenDialogOptions& options) {
  log_->openDialogs.push_back(options);
  if (opens.empty()) return {};
  auto result = opens.front();
  opens.pop_front();
  return result;
}

ScopedScript::ScopedScript() : log_(std::make_shared<ScriptLog>()) {
  auto dialogs = std::make_unique<ScriptedDialogs>(log_);
  script_ = dialogs.get();
  previous_ = platform::SetDialogs(std::move(dialogs));
}

ScopedScript::~ScopedScript() { platform::SetDialogs(std::move(previous_)); }

}  // namespace testsupport
