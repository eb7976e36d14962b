#include "Colors.h"

COLORREF ColorToRGB(TColor color) {
  auto c = static_cast<uint32_t>(color);
  if (c & 0x80000000u) return GetSysColor(static_cast<int>(c & 0xFF));
  return static_cast<COLORREF>(c & 0xFFFFFF);
}
