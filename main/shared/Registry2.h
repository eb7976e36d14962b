// The programs' registry class: the class library's, opening existing keys
// with read and write access only (no right to create subkeys).
#pragma once

#include "Registry.h"

class Tregistry2 : public TRegistry {
 public:
  Tregistry2() {
    openAccess_ = 0x2001F;
    createAccess_ = 0xF003F;
  }
};
