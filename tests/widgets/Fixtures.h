// The test pictures and their known pixel arrays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Graphics.h"

struct Pixels {
  int width = 0, height = 0;
  std::vector<COLORREF> rgb;  // row by row from the top
  COLORREF At(int x, int y) const { return rgb[static_cast<size_t>(y * width + x)]; }
};

// A fixture file's bytes ("basic.gif").
std::vector<uint8_t> FixtureBytes(const std::string& name);
// The pixel array of a PPM fixture ("basic.ppm").
Pixels FixturePixels(const std::string& name);
// Pixels of a bitmap, read through its canvas.
Pixels PixelsOf(TBitmap* bitmap);
// The first pixel where the two differ, as text ("" when equal).
std::string Difference(const Pixels& expected, const Pixels& actual);
