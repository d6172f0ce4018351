#include "tests/support/ScriptedDialogs.h"

namespace testsupport {

int ScriptedDialogs::MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT type) {
  return MessageBoxWithDetails(owner, text, {}, caption, type);
}

int ScriptedDialogs::MessageBoxWithDetails(QWidget*, const std::string& text, const std::string& details,
                                           const std::string& caption, UINT type) {
  log_->messages.push_back({text, caption, type, details});
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

bool ScriptedDialogs::ChooseColor(QWidget*, platform::ChooseColorRequest& request) {
  platform::ChooseColorRequest shown = request;
  shown.hook = nullptr;
  log_->colorDialogs.push_back(shown);
  std::optional<COLORREF> answer;
  if (!colors.empty()) {
    answer = colors.front();
    colors.pop_front();
  }
  if (!answer) return false;
  if (request.hook) request.hook(IDOK);
  request.rgbResult = *answer;
  return true;
}

namespace {
class RecordedItems final : public platform::DialogItems {
 public:
  std::vector<int> hidden;
  void ShowItem(int id, bool show) override {
    if (!show) hidden.push_back(id);
  }
};
}  // namespace

bool ScriptedDialogs::ChooseFont(QWidget*, platform::ChooseFontRequest& request) {
  ScriptLog::FontDialog shown;
  if (request.logFont) shown.start = *request.logFont;
  shown.flags = request.flags;
  shown.color = request.color;
  shown.fontType = request.fontType;
  if (request.dialogTemplate) shown.dialogTemplate = *request.dialogTemplate;
  RecordedItems items;
  if (request.hook) request.hook(items);
  shown.hidden = items.hidden;
  log_->fontDialogs.push_back(shown);
  std::optional<LOGFONT> answer;
  if (!fonts.empty()) {
    answer = fonts.front();
    fonts.pop_front();
  }
  if (!answer || !request.logFont) return false;
  *request.logFont = *answer;
  return true;
}

ScopedScript::ScopedScript() : log_(std::make_shared<ScriptLog>()) {
  auto dialogs = std::make_unique<ScriptedDialogs>(log_);
  script_ = dialogs.get();
  previous_ = platform::SetDialogs(std::move(dialogs));
}

ScopedScript::~ScopedScript() { platform::SetDialogs(std::move(previous_)); }

}  // namespace testsupport
