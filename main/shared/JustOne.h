// Single instance: a second start of a program hands over to the first
// and ends.
#pragma once

#include <windows.h>

#include "Classes.h"

class TJustOne : public TComponent {
 public:
  explicit TJustOne(TComponent* owner) : TComponent(owner) {}
  // Counts the top-level windows with the class name and caption of the
  // application window; with another one there, brings it forward (its
  // last active popup restored or made the foreground window), fires
  // BeforeClose and ends this process.
  void CheckPrevInstance();
  HWND PreviousInstanceWindow() const;

  TNotifyEvent BeforeClose;
};
