#include "ControlTags.h"

std::string ComponentNameOf(HWND window) {
  auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(window, kComponentNameProp)));
  if (!atom) return std::string();
  char buf[256];
  UINT n = GlobalGetAtomNameA(atom, buf, sizeof buf);
  return std::string(buf, n);
}

namespace {
struct Search {
  const std::string* name;
  HWND found;
};
BOOL CALLBACK Visit(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  if (ComponentNameOf(w) == *s->name) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindControlByName(HWND root, const std::string& name) {
  Search s{&name, nullptr};
  EnumChildWindows(root, Visit, reinterpret_cast<LPARAM>(&s));
  return s.found;
}
