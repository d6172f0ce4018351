// Message boxes, the beep and the common dialogs behind one replaceable interface:
// the program uses Qt dialogs, tests install scripted answers and read back what was
// shown.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/wintypes.h"

class QWidget;

inline constexpr UINT MB_OK = 0x00;
inline constexpr UINT MB_YESNO = 0x04;
inline constexpr UINT MB_ICONHAND = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT MB_TYPEMASK = 0x0F;
inline constexpr UINT MB_ICONMASK = 0xF0;
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

namespace platform {

inline constexpr const char* kYesCaption = "はい(&Y)";
inline constexpr const char* kNoCaption = "いいえ(&N)";
inline constexpr const char* kOkCaption = "OK";

struct OpenDialogOptions {
  std::string title;
  // Windows filter list: "description|patterns|description|patterns", patterns
  // separated by ";" ("JPEG (*.jpg)|*.jpg;*.jpeg|All (*.*)|*.*").
  std::string filter;
  int filterIndex = 1;  // 1-based, as on Windows
  std::string initialDir;
  bool allowMultiSelect = false;
  bool hideReadOnly = true;
  bool resizable = true;
};

struct OpenDialogResult {
  bool accepted = false;
  std::vector<std::string> files;  // paths as the file system spells them
  int filterIndex = 1;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Returns IDOK, IDYES or IDNO.
  virtual int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT type) = 0;
  virtual void MessageBeep(UINT type) = 0;
  virtual OpenDialogResult OpenFile(QWidget* owner, const OpenDialogOptions& options) = 0;
};

// The dialogs in force; the Qt implementation until another is installed.
Dialogs& CurrentDialogs();
// Installs a new implementation and returns the previous one.
std::unique_ptr<Dialogs> SetDialogs(std::unique_ptr<Dialogs> dialogs);

// Splits a Windows filter list into (description, patterns) pairs.
std::vector<std::pair<std::string, std::string>> ParseFilter(const std::string& filter);

}  // namespace platform

int MessageBoxA(QWidget* owner, LPCSTR text, LPCSTR caption, UINT type);
BOOL MessageBeep(UINT type);
