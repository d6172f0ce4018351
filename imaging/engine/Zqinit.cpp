#include "imaging/engine/Zqinit.h"

#include <QApplication>
#include <QMainWindow>
#include <array>

#include "imaging/engine/Zqdllprocs.h"
#include "platform/dialogs.h"
#include "platform/modules.h"

bool g_ShowCursorDispFlag = false;
short g_Sort = 0;
short g_SortOrder = 0;
TZqFileExtSlot g_FileExtArray[kZqFileExtEntries] = {};

namespace {

constexpr int kKindMin = 101;
constexpr int kKindMax = 104;

constexpr std::array<const char*, kZqLibraryCount> kSuffixes{"Com.DLL",  "Effect.DLL",    "File.DLL",   "Print.DLL",
                                                             "Scan.DLL", "RasToVect.DLL", "VectCom.DLL"};

std::array<HMODULE, kZqLibraryCount> g_libraries{};
int g_total = 0;
std::array<int, kKindMax - kKindMin + 1> g_kindCounts{};

void LoadLibraries() {
  // The system's code is linked into the program, so the module folder is empty and
  // the bare names go to LoadLibraryA, which looks beside the executable first.
  for (int i = 0; i < kZqLibraryCount; ++i) {
    if (g_libraries[i]) continue;
    const ZqEntryGroup group = ZqEntries(static_cast<ZqLibrary>(i));
    const std::string name = std::string("Zq7") + kSuffixes[i];
    HMODULE module = LoadLibraryA(name.c_str());
    if (!module) continue;
    g_libraries[i] = module;
    for (int e = 0; e < group.count; ++e) group.entries[e].assign(GetProcAddress(module, group.entries[e].name));
  }
  g_ShowCursorDispFlag = true;
}

void ReleaseLibraries() {
  for (int i = 0; i < kZqLibraryCount; ++i) {
    if (g_libraries[i]) FreeLibrary(g_libraries[i]);
    g_libraries[i] = nullptr;
    // A variable left holding an address into an unloaded library would send the next
    // call (a utility routine needs no component alive) into unmapped memory; null, it
    // is refused with status 14.
    const ZqEntryGroup group = ZqEntries(static_cast<ZqLibrary>(i));
    for (int e = 0; e < group.count; ++e) group.entries[e].assign(nullptr);
  }
}

int Packed(int kind) { return (g_kindCounts[kind - kKindMin] << 16) + g_total; }

}  // namespace

int InitializeZQ(int kind) {
  if (kind < kKindMin || kind > kKindMax) return -1;
  if (g_total == 0) LoadLibraries();
  ++g_total;
  ++g_kindCounts[kind - kKindMin];
  return Packed(kind);
}

int TerminateZQ(int kind) {
  if (kind < kKindMin || kind > kKindMax) return -1;
  if (g_total > 0) --g_total;
  int& count = g_kindCounts[kind - kKindMin];
  if (count > 0) --count;
  const int result = Packed(kind);
  if (g_total == 0) ReleaseLibraries();
  return result;
}

std::string GetDllVer(const std::string& libraryName, bool fileVersion) {
  HMODULE module = LoadLibraryA(libraryName.c_str());
  if (!module) return {};
  std::string text;
  char path[256];
  if (GetModuleFileNameA(module, path, sizeof path) > 0) {
    if (auto info = reinterpret_cast<ZqVersionInfo_t>(GetProcAddress(module, "ZqVersionInfo"))) {
      if (const ZqVersionRecord* record = info()) {
        const char* chosen = fileVersion ? record->fileVersion : record->productVersion;
        if (chosen) text = chosen;
      }
    }
  }
  FreeLibrary(module);
  return text;
}

namespace zqinit {

int LoadedLibraryCount() {
  int n = 0;
  for (HMODULE m : g_libraries) n += m ? 1 : 0;
  return n;
}

}  // namespace zqinit

void ShowZqAbout(QWidget* owner) {
  static constexpr const char* kLibraries[] = {
      "Zq7Com.DLL", "Zq7File.DLL", "Zq7Bmp.DLL", "Zq7Jpeg.DLL", "Zq7Tiff.DLL", "Zq7Fpx.DLL", "Zq7Pcx.DLL", "Zq7Png.DLL",
      "Zq7Gif.DLL", "Zq7Scan.DLL", "Zq7Print.DLL", "Zq7Effect.DLL", "Zq7Wmf.DLL", "Zq7Emf.DLL", "Zq7Dxf.DLL",
      "Zq7J2k.DLL", "Zq7RasToVect.DLL", "Zq7Svg.DLL", "Zq7SxfP21.DLL", "Zq7SxfSfc.DLL", "Zq7TransFile.DLL",
      "Zq7VectCom.DLL"};
  std::string text = "Tesmarin imaging components\n\n";
  for (const char* library : kLibraries) {
    const std::string version = GetDllVer(library, true);
    text += std::string(library) + "\t" + (version.empty() ? "-" : version) + "\n";
  }
  MessageBoxA(owner, text.c_str(), "About", MB_OK | MB_ICONINFORMATION);
}

QWidget* ZqOwnerWindow(const QObject* owner) {
  if (const auto* widget = qobject_cast<const QWidget*>(owner)) return widget->window();
  // The window the user works in, not whichever one has the focus: a dialog shown from a
  // component without owner must not end up parented to a passing tool window.
  for (QWidget* window : QApplication::topLevelWidgets())
    if (qobject_cast<QMainWindow*>(window)) return window;
  return nullptr;
}
