#include "imaging/engine/Zqdispinit.h"

#include <QLocale>

#include "platform/memory.h"
#include "platform/resources.h"

short g_PenSize1, g_PenSize2, g_PenSize3, g_PenSize4, g_PenSize5;
short g_AirBrushSize1, g_AirBrushSize2, g_AirBrushSize3, g_AirBrushSize4, g_AirBrushSize5;
short g_EraserSize1, g_EraserSize2, g_EraserSize3, g_EraserSize4, g_EraserSize5;
short g_PenSize;
DWORD g_ForeColor, g_BackColor;
int g_FontTrans, g_Blur, g_EnableEditPopupMenu;
int g_Action, g_FillPattern, g_Square, g_Circle, g_AirBrushSize, g_EraserSize, g_ToolBarType, g_ToolBarFixed,
    g_ToolBarSysMenu, g_ActionSave, g_NumButton, g_EditMode;
int g_FontHeight, g_FontBold, g_FontItalic, g_FontUnderline, g_FontStrikeOut, g_ToolBarLeft, g_ToolBarTop;
std::string g_Text, g_FontName, g_ToolBarCap;
std::array<DWORD, 5> g_Clip;
int g_DispInst, g_PanObjCount;
LOGFONT g_LogFont;
HCURSOR g_hToolBarCursor;
HFONT g_hFont;
HWND g_ToolBarParentWnd, g_ToolBarChildWnd;
void* g_hPanObj;

ZqPopupCaption szPopupEditMenu_All, szPopupEditMenu_Cut, szPopupEditMenu_Copy, szPopupEditMenu_Paste,
    szPopupEditMenu_Rotate, szPopupEditMenu_Clear, szPopupEditMenu_Undo, szPopupEditMenu_Delete,
    szPopupEditMenu_Create, szPopupEditMenu_Prop, szPopupEditMenu_Lock, szPopupEditMenu_Front, szPopupEditMenu_Back;

namespace {

// The program's string resources for the display component's pop-up menu: the
// Japanese set and, 1000 above it, the English set.
constexpr StringResource kPopupStrings[] = {
    {500, "全選択(&A)"},       {501, "切り取り(&T)"},      {502, "コピー(&C)"},        {503, "貼り付け(&P)"},
    {504, "回転(&R)"},         {505, "選択範囲取消し(&L)"}, {506, "取消し(&U)"},        {553, "削除(&D)"},
    {598, "新規作成(&E)"},     {554, "プロパティ(&P)"},    {555, "ロック(&L)"},        {556, "最前面へ移動(&F)"},
    {557, "最背面へ移動(&B)"}, {1500, "Select&All"},       {1501, "Cu&T"},             {1502, "&Copy"},
    {1503, "&Paste"},          {1504, "&Rotate"},          {1505, "C&Lear"},           {1506, "&Undo"},
    {1553, "&Delete"},         {1598, "Cr&Eate"},          {1554, "&Property"},        {1555, "&Lock"},
    {1556, "Bring to &Front"}, {1557, "Send to &Back"},
};

struct CaptionSlot {
  ZqPopupCaption* buffer;
  UINT japaneseId;
};

const CaptionSlot kCaptions[] = {
    {&szPopupEditMenu_All, 500},    {&szPopupEditMenu_Cut, 501},    {&szPopupEditMenu_Copy, 502},
    {&szPopupEditMenu_Paste, 503},  {&szPopupEditMenu_Rotate, 504}, {&szPopupEditMenu_Clear, 505},
    {&szPopupEditMenu_Undo, 506},   {&szPopupEditMenu_Delete, 553}, {&szPopupEditMenu_Create, 598},
    {&szPopupEditMenu_Prop, 554},   {&szPopupEditMenu_Lock, 555},   {&szPopupEditMenu_Front, 556},
    {&szPopupEditMenu_Back, 557},
};

}  // namespace

namespace Zqdispinit {

void Initialize() {
  g_PenSize1 = 1, g_PenSize2 = 2, g_PenSize3 = 3, g_PenSize4 = 4, g_PenSize5 = 5;
  g_AirBrushSize1 = 4, g_AirBrushSize2 = 8, g_AirBrushSize3 = 12, g_AirBrushSize4 = 16, g_AirBrushSize5 = 20;
  g_EraserSize1 = 1, g_EraserSize2 = 3, g_EraserSize3 = 6, g_EraserSize4 = 9, g_EraserSize5 = 12;
  g_PenSize = 3;
  g_ForeColor = 0;
  g_BackColor = 0xFFFFFF;
  g_FontTrans = g_Blur = g_EnableEditPopupMenu = 1;
  g_Action = g_FillPattern = g_Square = g_Circle = g_AirBrushSize = g_EraserSize = 0;
  g_ToolBarType = g_ToolBarFixed = g_ToolBarSysMenu = g_ActionSave = g_NumButton = g_EditMode = 0;
  g_FontHeight = g_FontBold = g_FontItalic = g_FontUnderline = g_FontStrikeOut = g_ToolBarLeft = g_ToolBarTop = 0;
  g_Text.clear();
  g_FontName.clear();
  g_ToolBarCap.clear();
  g_Clip = {};
  g_DispInst = g_PanObjCount = 0;
  g_LogFont = LOGFONT{};
  g_hToolBarCursor = nullptr;
  g_hFont = nullptr;
  g_ToolBarParentWnd = g_ToolBarChildWnd = nullptr;
  g_hPanObj = nullptr;

  platform::RegisterStringResources(kPopupStrings);
  const bool japanese = QLocale().language() == QLocale::Japanese;
  for (const auto& caption : kCaptions) {
    const UINT id = japanese ? caption.japaneseId : caption.japaneseId + 1000;
    LoadStringA(nullptr, id, caption.buffer->data(), kZqPopupCaptionBytes);
  }
}

void Terminate() {
  if (g_Clip[1] != 0) {
    GlobalFree(g_Clip[1]);
    g_Clip[1] = 0;
  }
}

}  // namespace Zqdispinit
