#include "TezHashMap.h"

uint32_t TezStringHash(const char* text) {
  uint32_t hash = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    hash = hash * 33 + *p;
  return hash;
}
