#include "app/Application.h"

#include <QLibraryInfo>
#include <exception>

#include "platform/dialogs.h"
#include "platform/fonts.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("Tesmarin");
  setFont(platform::FontFromFace(platform::kUiFace, 12));
  // The interface is Japanese whatever the user's locale, Qt's standard texts included.
  japaneseLoaded_ = qtbase_.load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (japaneseLoaded_) installTranslator(&qtbase_);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowException(e.what());
  } catch (...) {
    ShowException("");
  }
  return false;
}

void TApplication::ShowException(const std::string& message) {
  MessageBoxA(activeWindow(), message.c_str(), "Tesmarin", MB_OK | MB_ICONHAND);
}
