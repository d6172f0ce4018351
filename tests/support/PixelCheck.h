// Pixel checks for drawing tests. A failing comparison names the first differing pixel
// and writes what was got and what was expected as PNG files into "pixelcheck/" below
// the test's working folder, so a failure can be looked at.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <map>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "platform/winwidget.h"

namespace testsupport {

// Writes the image as "pixelcheck/<name>.png" and returns the path ("" on failure).
std::string SavePng(const QImage& image, const std::string& name);
std::string SavePng(HBITMAP bitmap, const std::string& name);

// Builds an image from rows of characters, each standing for the colour the legend
// gives it.
QImage Picture(const std::vector<std::string>& rows, const std::map<char, COLORREF>& legend);

// Compares got with expected pixel by pixel (RGB only).
::testing::AssertionResult SameImage(const QImage& got, const QImage& expected, const std::string& name);
::testing::AssertionResult SamePicture(HBITMAP got, const std::vector<std::string>& rows,
                                       const std::map<char, COLORREF>& legend, const std::string& name);

// Runs a control's painting onto a bitmap of its size filled with under first (what
// lies beneath the control) and returns the pixels, saved as "pixelcheck/<name>.png".
QImage PaintControl(platform::WinWidget& control, COLORREF under, const std::string& name);
// The colour of one pixel.
COLORREF PixelAt(const QImage& image, int x, int y);
// The colours drawn from left to right: for each column the colour of its topmost pixel
// that is not background, runs of one colour merged.
std::vector<COLORREF> ColoursAlong(const QImage& image, COLORREF background);

}  // namespace testsupport
