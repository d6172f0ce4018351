#include "platform/shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace platform {

namespace {

ShellOpener& Opener() {
  static ShellOpener opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  return opener;
}

}  // namespace

QUrl ShellTarget(const std::string& file) {
  const QString text = QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size()));
  const QUrl url(text, QUrl::StrictMode);
  if (url.isValid() && url.scheme().size() > 1) return url;  // "C:" style single letters are no schemes
  return QUrl::fromLocalFile(QFile::decodeName(QByteArray(file.data(), static_cast<qsizetype>(file.size()))));
}

ShellOpener SetShellOpener(ShellOpener opener) {
  ShellOpener previous = std::move(Opener());
  Opener() = std::move(opener);
  return previous;
}

}  // namespace platform

HINSTANCE ShellExecuteA(QWidget*, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, int) {
  if (!file || !*file) return reinterpret_cast<HINSTANCE>(2);  // ERROR_FILE_NOT_FOUND
  const bool handed = platform::Opener()(platform::ShellTarget(file));
  return reinterpret_cast<HINSTANCE>(handed ? 42 : 31);  // 31: SE_ERR_NOASSOC
}
