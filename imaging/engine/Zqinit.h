// The engine loader: loads the imaging engine libraries once for all components of the
// process, resolves the entry-point table, counts live components by kind and releases
// the libraries after the last one. Also the component bases and the enumerations the
// components share.
#pragma once

#include <QObject>
#include <string>

#include "platform/winwidget.h"

class QWidget;

// Loads the libraries when no component is alive, then counts one more component of
// kind (101..104). Returns (count of the kind << 16) + total count, or -1 for another kind.
int InitializeZQ(int kind);
// Counts one component of kind less (never below 0) and releases the libraries when the
// total reaches 0. Returns the counts packed as InitializeZQ does, or -1.
int TerminateZQ(int kind);

// Whether the mouse cursor is currently shown.
extern bool g_ShowCursorDispFlag;

// The sort key, the sort order and the extension table the slide list comparison reads;
// the slide show component sets all three before it sorts. The table holds up to 1000
// extensions of up to 63 bytes, each NUL-terminated in a 64-byte slot.
inline constexpr int kZqFileExtEntries = 1000;
inline constexpr int kZqFileExtLength = 64;
using TZqFileExtSlot = char[kZqFileExtLength];
extern short g_Sort;
extern short g_SortOrder;
extern TZqFileExtSlot g_FileExtArray[kZqFileExtEntries];

// The file version (fileVersion true) or product version of an engine library, named as
// the loader names it ("Zq7Com.DLL"); empty on every failure.
std::string GetDllVer(const std::string& libraryName, bool fileVersion);

// Shows the components' about box: the version texts of the engine libraries.
void ShowZqAbout(QWidget* owner);

// The window that owns the engine's dialogs, the clipboard and the about box for a
// component whose owner is owner: the owner's window when the owner is a widget, else
// the application's main window (null when the program has none, as on the command line).
QWidget* ZqOwnerWindow(const QObject* owner);

// Status codes the components set themselves, beside the engine's.
inline constexpr unsigned short kZqStatusTextTooLong = 5;  // a transfer text of the path limit or more
inline constexpr unsigned short kZqStatusNoEntry = 14;     // the needed entry point is missing

// Engine kinds with users in this system.
inline constexpr int kZqKindSlide = 102;
inline constexpr int kZqKindImage = 104;

// Frame style of the visual components.
enum TVZqAppearance { vzqFlat, vzqLowered, vzqRaised };

// Kinds of image an image handle may hold.
enum TVZqImageKind : unsigned char {
  vzqInvalidImage = 0,
  vzqRasterImage = 1,
  vzqVectorWMF = 2,
  vzqVectorEMF = 3,
  vzqVectorDXF = 4,
  vzqVectorSVG = 5,
  vzqVectorSXF = 6,
};

// A component without user interface. Components are owned like Qt objects: the owner
// passed in deletes them.
class TVZqNoUiControl : public QObject {
  Q_OBJECT
 public:
  explicit TVZqNoUiControl(QObject* owner = nullptr) : QObject(owner) {}
};

// A custom window control with a canvas: the base of the visual components. It paints
// through the platform's drawing layer on its persistent surface.
class TVZqUiControl : public platform::WinWidget {
  Q_OBJECT
 public:
  explicit TVZqUiControl(QWidget* parent = nullptr) : platform::WinWidget(parent) {}
};

namespace zqinit {

// How many engine libraries are loaded right now (for tests and the about box).
int LoadedLibraryCount();

}  // namespace zqinit
