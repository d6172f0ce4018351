// Dialogs that answer from a script and record what was shown, for tests.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace testsupport {

struct ShownMessage {
  std::string text;
  std::string caption;
  UINT type = 0;
};

struct ScriptLog {
  std::vector<ShownMessage> messages;
  std::vector<platform::OpenDialogOptions> openDialogs;
  int beeps = 0;
  int unanswered = 0;  // questions asked with no scripted answer left (answered "No")
};

class ScriptedDialogs final : public platform::Dialogs {
 public:
  explicit ScriptedDialogs(std::shared_ptr<ScriptLog> log) : log_(std::move(log)) {}

  std::deque<int> answers;                         // for Yes/No boxes; OK boxes take none
  std::deque<platform::OpenDialogResult> opens;    // cancelled when empty

  int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT type) override;
  void MessageBeep(UINT type) override;
  platform::OpenDialogResult OpenFile(QWidget* owner, const platform::OpenDialogOptions& options) override;

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
