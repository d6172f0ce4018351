// The program's main window: the file list, the toolbar, the menu, the five rename
// options, and every command of the program as one of its handlers.
#pragma once

#include <QMainWindow>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QSplitter;
class QStatusBar;
class QWidget;
class TGradBox;
class TSpeedButton;
class TStringGrid;
class TVZqCommon;
class TVZqFile;
class TVZqSlide;

class TMainForm1 : public QMainWindow {
  Q_OBJECT
 public:
  explicit TMainForm1(QWidget* parent = nullptr);
  ~TMainForm1() override;

  // Registered files: the data rows in use in the file list.
  int FileCount = 0;
  // The program's own folder, without a closing "/": the user's guide lies there.
  std::string BaseFolder;
  // The new path of the file being renamed.
  std::string NewFileName;

  QWidget* Panel0;
  QWidget* Panel1;
  QWidget* Panel2;
  TGradBox* GradBox2;  // the strip behind the toolbar
  TSpeedButton* SpeedButton1_1;
  TSpeedButton* SpeedButton1_2;
  TSpeedButton* SpeedButton1_3;
  TSpeedButton* SpeedButton1_4;
  TSpeedButton* SpeedButton1_5;
  QFrame* Bevel1;
  TStringGrid* StringGrid1;
  QSplitter* Splitter2;
  TVZqSlide* ZqSlide1;  // the preview pane
  QLabel* Label1;
  QLabel* Label2;
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBox3;
  QCheckBox* CheckBox4;
  QCheckBox* CheckBox5;
  QAction* F1;
  QAction* F2;
  QAction* F10;  // undo of the latest rename run
  QAction* F4;
  QAction* F6;
  QAction* F7;
  QAction* F9;
  QAction* N1_1;
  QAction* N1_2;
  TVZqFile* ZqFile1;
  TVZqCommon* ZqCommon1;

  // Handlers.
  void SpeedButton1_1Click();                                // register through the open dialog
  void WMDropFiles(const std::vector<std::string>& items);  // register dropped files
  void Button1Click();                                       // read the attributes of row FileCount
  void SpeedButton1_2Click();                                // rename run
  void F10Click();                                           // undo of the latest rename run
  void SpeedButton1_3Click();                                // sort
  void SpeedButton1_4Click();                                // delete
  void SpeedButton1_5Click();                                // clear
  void StringGrid1SelectCell(int col, int row, bool& canSelect);  // preview of a row
  void FormShow();  // run by the first setVisible(true), before the native window exists
  void setVisible(bool visible) override;
  void FormClose();
  void F9Click();
  void N1_1Click();                                          // user's guide
  void N1_2Click();                                          // information page

  // The address of the information page for the program at programPath.
  static std::string InformationAddress(const std::string& programPath);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenu();
  void BuildToolbar();
  void BuildOptions();
  void WriteTitles();
  void EnableCommandSet(bool enabled);
  void Renumber();
  bool Confirm(const char* question);
  void RegisterRow(const std::string& path);
  void ShowFirstRow();  // the preview of row 1
  void UpdateUndoItem();  // enabled while the latest journal can be undone
  // Items with every folder (one whose name has no image extension) replaced by the
  // images directly inside it; an empty folder says so in the status bar.
  std::vector<std::string> WithFolderImages(const std::vector<std::string>& items);
  bool shown_ = false;
};

extern TMainForm1* MainForm1;
