// The name tag of every control window: a window property holding a global
// atom of the component name. Tests and tools of other processes find
// forms and controls by it.
#pragma once

#include <windows.h>

#include <string>

constexpr const char* kComponentNameProp = "BrindaleComponentName";

// The component name a window is tagged with ("" when none).
std::string ComponentNameOf(HWND window);
// The first window below root (children at any depth) tagged with name.
HWND FindControlByName(HWND root, const std::string& name);
