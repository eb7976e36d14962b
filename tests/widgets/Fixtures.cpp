#include "Fixtures.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

std::vector<uint8_t> FixtureBytes(const std::string& name) {
  std::ifstream in("fixtures\\" + name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

Pixels FixturePixels(const std::string& name) {
  std::vector<uint8_t> data = FixtureBytes(name);
  std::string text(data.begin(), data.end());
  std::istringstream header(text);
  std::string magic;
  int maxValue = 0;
  Pixels p;
  header >> magic >> p.width >> p.height >> maxValue;
  size_t pos = static_cast<size_t>(header.tellg()) + 1;
  for (int i = 0; i < p.width * p.height; ++i, pos += 3)
    p.rgb.push_back(RGB(data[pos], data[pos + 1], data[pos + 2]));
  return p;
}

Pixels PixelsOf(TBitmap* bitmap) {
  Pixels p;
  p.width = bitmap->Width();
  p.height = bitmap->Height();
  HDC dc = bitmap->Canvas()->Handle();
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) p.rgb.push_back(GetPixel(dc, x, y));
  return p;
}

std::string Difference(const Pixels& expected, const Pixels& actual) {
  if (expected.width != actual.width || expected.height != actual.height)
    return "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height) + " instead of " +
           std::to_string(expected.width) + "x" + std::to_string(expected.height);
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x)
      if (expected.At(x, y) != actual.At(x, y)) {
        char text[96];
        std::snprintf(text, sizeof text, "pixel (%d, %d) is %06lx instead of %06lx", x, y,
                      static_cast<unsigned long>(actual.At(x, y)), static_cast<unsigned long>(expected.At(x, y)));
        return text;
      }
  return "";
}
