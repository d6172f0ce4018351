// Opening a document or an address with the user's default application.
#pragma once

#include <functional>
#include <string>

#include "platform/wintypes.h"

class QUrl;
class QWidget;

// Opens file (a path or an address) for the "open" operation; the result is a value
// above 32 when the request was handed on, as on Windows.
HINSTANCE ShellExecuteA(QWidget* owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int showCommand);

namespace platform {

// The address a path or address text opens as: an address with a scheme stays as it
// is, anything else is a local file.
QUrl ShellTarget(const std::string& file);
// Replaces the opener (QDesktopServices::openUrl by default); returns the previous one.
using ShellOpener = std::function<bool(const QUrl&)>;
ShellOpener SetShellOpener(ShellOpener opener);

}  // namespace platform
