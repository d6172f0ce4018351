// Dialogs that answer from a script and record what was shown, for tests.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace testsupport {

struct ShownMessage {
  std::string text;
  std::string caption;
  UINT type = 0;
  std::string details;  // the unfolding details section, when the box had one
};

struct ScriptLog {
  std::vector<ShownMessage> messages;
  std::vector<platform::OpenDialogOptions> openDialogs;
  int beeps = 0;
  int unanswered = 0;  // questions asked with no scripted answer left (answered "No")
  std::vector<platform::ChooseColorRequest> colorDialogs;  // as asked (hooks dropped)
  struct FontDialog {
    LOGFONT start;
    DWORD flags = 0;
    COLORREF color = 0;
    int fontType = 0;
    platform::DialogTemplate dialogTemplate;
    std::vector<int> hidden;  // items the hook hid
  };
  std::vector<FontDialog> fontDialogs;
};

class ScriptedDialogs final : public platform::Dialogs {
 public:
  explicit ScriptedDialogs(std::shared_ptr<ScriptLog> log) : log_(std::move(log)) {}

  std::deque<int> answers;                         // for Yes/No boxes; OK boxes take none
  std::deque<platform::OpenDialogResult> opens;    // cancelled when empty
  // Colour and font dialogs: a value is chosen with OK, nullopt or an empty queue cancels.
  std::deque<std::optional<COLORREF>> colors;
  std::deque<std::optional<LOGFONT>> fonts;

  int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT type,
                 const std::string& details) override;
  void MessageBeep(UINT type) override;
  platform::OpenDialogResult OpenFile(QWidget* owner, const platform::OpenDialogOptions& options) override;
  bool ChooseColor(QWidget* owner, platform::ChooseColorRequest& request) override;
  bool ChooseFont(QWidget* owner, platform::ChooseFontRequest& request) override;

 private:
  std::shared_ptr<ScriptLog> log_;
};

// Installs scripted dialogs for a test's lifetime and restores the previous ones.
class ScopedScript {
 public:
  ScopedScript();
  ~ScopedScript();
  ScopedScript(const ScopedScript&) = delete;
  ScopedScript& operator=(const ScopedScript&) = delete;

  ScriptedDialogs& script() { return *script_; }
  const ScriptLog& log() const { return *log_; }

 private:
  std::shared_ptr<ScriptLog> log_;
  ScriptedDialogs* script_;
  std::unique_ptr<platform::Dialogs> previous_;
};

}  // namespace testsupport
