// The editing and pop-up menu state that all display components share, set up when
// the first image component is created and closed after the last.
#pragma once

#include <array>
#include <string>

#include "platform/syscolors.h"
#include "platform/winwidget.h"

extern short g_PenSize1, g_PenSize2, g_PenSize3, g_PenSize4, g_PenSize5;
extern short g_AirBrushSize1, g_AirBrushSize2, g_AirBrushSize3, g_AirBrushSize4, g_AirBrushSize5;
extern short g_EraserSize1, g_EraserSize2, g_EraserSize3, g_EraserSize4, g_EraserSize5;
extern short g_PenSize;
extern DWORD g_ForeColor, g_BackColor;
extern int g_FontTrans, g_Blur, g_EnableEditPopupMenu;
extern int g_Action, g_FillPattern, g_Square, g_Circle, g_AirBrushSize, g_EraserSize, g_ToolBarType, g_ToolBarFixed,
    g_ToolBarSysMenu, g_ActionSave, g_NumButton, g_EditMode;
extern int g_FontHeight, g_FontBold, g_FontItalic, g_FontUnderline, g_FontStrikeOut, g_ToolBarLeft, g_ToolBarTop;
extern std::string g_Text, g_FontName, g_ToolBarCap;
// The editing clip record; its second word holds a global memory handle while a clip is held.
extern std::array<DWORD, 5> g_Clip;
extern int g_DispInst, g_PanObjCount;
extern LOGFONT g_LogFont;
extern HCURSOR g_hToolBarCursor;
extern HFONT g_hFont;
extern HWND g_ToolBarParentWnd, g_ToolBarChildWnd;
extern void* g_hPanObj;

// The thirteen pop-up menu captions of the display component (64 bytes each).
inline constexpr int kZqPopupCaptionBytes = 64;
using ZqPopupCaption = std::array<char, kZqPopupCaptionBytes>;
extern ZqPopupCaption szPopupEditMenu_All, szPopupEditMenu_Cut, szPopupEditMenu_Copy, szPopupEditMenu_Paste,
    szPopupEditMenu_Rotate, szPopupEditMenu_Clear, szPopupEditMenu_Undo, szPopupEditMenu_Delete,
    szPopupEditMenu_Create, szPopupEditMenu_Prop, szPopupEditMenu_Lock, szPopupEditMenu_Front, szPopupEditMenu_Back;

namespace Zqdispinit {

// Sets every shared variable to its start value and loads the captions in the user's
// language (Japanese when the locale's language is Japanese, English otherwise).
void Initialize();
// Releases the clip handle when one is held.
void Terminate();

}  // namespace Zqdispinit
