// Message boxes, the beep and the common dialogs behind one replaceable interface:
// the program uses Qt dialogs, tests install scripted answers and read back what was
// shown.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi.h"

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

// The colour dialog: the starting colour, the sixteen custom colours, and a hook that
// hears the dialog's command messages (the control identifier) as the user clicks.
struct ChooseColorRequest {
  COLORREF rgbResult = 0;  // in: the starting colour; out: the choice
  std::array<COLORREF, 16> custColors{};
  DWORD flags = 0;
  std::function<void(int controlId)> hook;
};

// A dialog template: the box, the font it is laid out in, and its controls by identifier.
enum class DialogItemKind { Label, ComboBox, Button, Group, CheckBox };
struct DialogItem {
  int id = 0;
  DialogItemKind kind = DialogItemKind::Label;
  std::string text;
};
struct DialogTemplate {
  std::string caption;
  std::string face;
  int pointSize = 9;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  std::vector<DialogItem> items;
};
// What the font dialog's hook may do when the dialog initialises.
class DialogItems {
 public:
  virtual ~DialogItems() = default;
  virtual void ShowItem(int id, bool show) = 0;
};
// The font dialog on a template of the program: the font to start from and to fill, the
// flags and colour as the caller gives them, and the hook run at initialisation.
struct ChooseFontRequest {
  LOGFONT* logFont = nullptr;
  DWORD flags = 0;
  COLORREF color = 0;
  int fontType = 0;
  const DialogTemplate* dialogTemplate = nullptr;
  std::function<void(DialogItems& items)> hook;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Returns IDOK, IDYES or IDNO.
  virtual int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT type) = 0;
  // The same box with a details section the user may unfold (a list too long for the
  // message itself); without one of its own, an implementation shows the message alone.
  virtual int MessageBoxWithDetails(QWidget* owner, const std::string& text, const std::string& details,
                                    const std::string& caption, UINT type) {
    (void)details;
    return MessageBox(owner, text, caption, type);
  }
  virtual void MessageBeep(UINT type) = 0;
  virtual OpenDialogResult OpenFile(QWidget* owner, const OpenDialogOptions& options) = 0;
  // True when the user closed the dialog with OK; the request then holds the choice.
  virtual bool ChooseColor(QWidget* owner, ChooseColorRequest& request) = 0;
  virtual bool ChooseFont(QWidget* owner, ChooseFontRequest& request) = 0;
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
