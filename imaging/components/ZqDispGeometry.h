// The geometry of what the display control shows, in one place: the client rectangle
// and the display area inside it, the visible image rectangle, where the image lands
// on the screen (the drawn rectangle), the two scales, the start position and its
// check, the scroll bars' need, and the image pixel under a screen point. Painting,
// scrolling, mouse conversion, the rulers and the pan window all read it.
//
// Coordinates: the client rectangle, the display area and the visible image rectangle
// have inclusive right and bottom; the drawn rectangle excludes them. Image pixel
// (Visible.left, Visible.top) sits at screen pixel (Drawn.left, Drawn.top), and one
// image pixel covers ScaleX x ScaleY screen pixels.
#pragma once

#include "imaging/engine/Zqinit.h"
#include "platform/gdi.h"

enum TVZqDispMode {
  vzqClear = 0,
  vzqScale = 1,
  vzqStretch = 2,
  vzqActualSize = 3,
  vzqFitToWidth = 4,
  vzqFitToHeight = 5,
};

enum TVZqScrollDir { vzqUpLeft, vzqUp, vzqUpRight, vzqRight, vzqDownRight, vzqDown, vzqDownLeft, vzqLeft };

// A destination and source pair for one image drawing.
struct TZqDrawPlan {
  int x = 0, y = 0, width = 0, height = 0;           // screen
  int srcX = 0, srcY = 0, srcWidth = 0, srcHeight = 0;  // image (or reduced copy) pixels
};

// One scroll bar's state: Windows-style range (0 to image size − 1) and page, in image
// pixels.
struct TZqScrollBarState {
  bool shown = false;
  int max = 0;
  int page = 0;
};

class TZqDispGeometry {
 public:
  // What the control looks like: its size, the frame and the rulers, and how thick a
  // scroll bar is.
  struct Frame {
    int width = 0;
    int height = 0;
    bool rulers = false;
    bool border = false;
    TVZqAppearance appearance = vzqFlat;
    int scrollBarExtent = 16;
  };

  int ImageWidth = 0;
  int ImageHeight = 0;
  double DispScale = 1.0;
  RECT Client{};   // inclusive
  RECT Area{};     // inclusive
  int VisibleCols = 0;
  int VisibleRows = 0;
  RECT Visible{};  // image pixels, inclusive
  RECT Drawn{};    // screen, exclusive right and bottom
  double ScaleX = 1.0;
  double ScaleY = 1.0;
  TZqScrollBarState HBar;
  TZqScrollBarState VBar;

  int AreaWidth() const { return Area.right - Area.left + 1; }
  int AreaHeight() const { return Area.bottom - Area.top + 1; }

  // The client rectangle (less the bars shown), the display area and the visible
  // columns and rows.
  void Layout(const Frame& frame);
  // One scroll-bar pass: the display area again, then which bars an image at DispScale
  // needs. Bars are offered only when offer is set (ScrollBar in real size).
  void ScrollBarPass(const Frame& frame, bool offer);
  // Both passes, so that a bar that narrows the client area is taken into account.
  void Initialise(const Frame& frame, bool offer);

  // The visible rectangle's left and top from StartX/StartY, and the centring asked for
  // by DispCenterX/DispCenterY (above 0), in real size.
  void StartPosition(TVZqDispMode mode, int startX, int startY, int centerX, int centerY);
  // The whole image outside real size; in real size the visible rectangle kept inside
  // the image with the visible columns and rows.
  void StartCheck(TVZqDispMode mode);
  // Moves the visible rectangle by the steps for a direction (no check).
  void ScrollBy(TVZqScrollDir direction, int stepX, int stepY);

  // Fit (never enlarging) or stretch into the area; false when the area is below 2
  // pixels. Sets the scales.
  bool ScaledPlan(TVZqDispMode mode, TZqDrawPlan& plan);
  // Real size from the image at DispScale; false when the area is below 2 pixels.
  // Sets the scales.
  bool ActualPlan(TZqDrawPlan& plan);
  // Real size from a copy already reduced to DispScale, taken at 1:1.
  bool ReducedPlan(TZqDrawPlan& plan);

  // Whether the screen point lies on the drawn image (edges included) and which image
  // pixel it shows.
  bool OverImage(int x, int y) const;
  int ImageX(int x) const;
  int ImageY(int y) const;
};
