// The screen object: the table of cursors by number (the standard ones
// below 0, the program's own from 1), the screen-wide cursor, the size of
// the screen and the active form.
#pragma once

#include <windows.h>

#include <map>

#include "Classes.h"

class TForm;

using TCursor = int;
enum : TCursor {
  crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12,
  crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18,
  crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22, crSize = crSizeAll
};

class TScreen : public TComponent {
 public:
  TScreen();
  ~TScreen() override;

  // The cursor of a number; an unknown number gives the arrow.
  HCURSOR Cursors(TCursor index) const;
  // Sets a numbered cursor (the screen then owns it); 0 removes it.
  void SetCursors(TCursor index, HCURSOR cursor);
  // A cursor other than crDefault is shown over every window of the program.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);

  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  int PixelsPerInch() const;
  // The form whose window (or a child of it) is active, or none.
  TForm* ActiveForm() const;

 private:
  std::map<TCursor, HCURSOR> custom_;
  TCursor cursor_ = crDefault;
};

extern TScreen* const Screen;
