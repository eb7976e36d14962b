// The controller's tray menu as a user meets it: opened by the right button
// on the icon, its items found by their pictures on the screen, clicked.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// A part of the screen, read back.
struct ScreenShot {
  explicit ScreenShot(const RECT& r);
  COLORREF At(int x, int y) const;
  // Where the colour shows (screen co-ordinates), or false.
  bool Find(COLORREF colour, POINT* where) const;
  RECT rect;
  int w, h;
  std::vector<uint32_t> pixels;
};

// The field colour of a menu picture of the bitmap library.
COLORREF PictureColour(const char* name);
// A popup menu shown by the controller (other programs' menus are not it).
HWND VisibleMenu();
bool WaitForMenu(bool shown, DWORD ms);
// The open menu as the screen shows it (empty when none is open).
ScreenShot MenuShot();
// The controller's tray icon window, once it is there.
HWND TrayWindow();
// A left click at that screen point by real input.
void Click(POINT p);
// Closes an open tray menu by the Escape key.
void CloseMenu(HWND tray);
// Opens the tray menu by the right button on the icon and waits until it
// shows the picture; where it shows, or false (the menu closed again).
bool OpenMenuAt(HWND tray, const char* picture, POINT* at);
// Opens the tray menu and clicks the item with that picture.
bool ClickMenuItem(HWND tray, const char* picture);
