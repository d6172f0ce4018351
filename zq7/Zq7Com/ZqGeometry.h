// Plane geometry for drawing tools: angles, rotation of point lists, points around an
// ellipse, and point lists kept in global memory. Angles are in degrees, counted
// counter-clockwise as seen on the screen (where y grows downwards).
#pragma once

#include "platform/gdi.h"
#include "zq7/Zq7Api.h"

// The direction from (x1, y1) to (x2, y2), 0 <= angle < 360; 0 for two equal points.
ZQ_EXPORT double GetAngleFrom2Points(LONG x1, LONG y1, LONG x2, LONG y2);
// Turns count points in place by degrees around (centerX, centerY), rounding each to the
// nearest pixel.
ZQ_EXPORT BOOL RotateCoordinatesEx(POINT* points, int count, LONG centerX, LONG centerY, double degrees);
// count points (at least 3) evenly spaced by angle on the ellipse inscribed in the box
// (left, top)-(right, bottom), starting at its rightmost point and turning
// counter-clockwise.
ZQ_EXPORT BOOL GenEllipsePoints(LONG left, LONG top, LONG right, LONG bottom, POINT* points, int count);
// A new global memory block holding a copy of count points (the caller frees it with
// GlobalFree); 0 for no points.
ZQ_EXPORT HGLOBAL SetPointsToMemory(const POINT* points, int count);
