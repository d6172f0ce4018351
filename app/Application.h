// The application object of the program: Qt's own texts (standard buttons, the open
// dialog, context menus) in Japanese, and an exception that escapes any event handler
// shown with the application's exception display instead of ending the program.
#pragma once

#include <QApplication>
#include <QTranslator>
#include <string>

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // The application's exception display: an error box titled "Tesmarin".
  static void ShowException(const std::string& message);
  // Whether Qt's Japanese translations were found and installed.
  bool JapaneseLoaded() const { return japaneseLoaded_; }

 private:
  QTranslator qtbase_;
  bool japaneseLoaded_ = false;
};
