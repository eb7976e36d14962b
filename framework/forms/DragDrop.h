// Drag and drop between the controls of this program: a control starts a
// drag by BeginDrag (or by a left press with DragMode dmAutomatic); while
// the mouse moves the control under it is asked whether it takes the drop
// and the drag cursor or the no-drop cursor shows the answer; releasing
// the button drops on a control that took it, Escape cancels.
#pragma once

#include <windows.h>

#include <functional>

#include "Classes.h"
#include "Screen.h"

enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

using TStartDragEvent = std::function<void(TObject* sender)>;
using TDragOverEvent = std::function<void(TObject* sender, TObject* source, int x, int y,
                                          TDragState state, bool& accept)>;
using TDragDropEvent = std::function<void(TObject* sender, TObject* source, int x, int y)>;
// target is the control that took the drop, or none when the drag was
// refused or cancelled.
using TEndDragEvent = std::function<void(TObject* sender, TObject* target, int x, int y)>;

// The drag side of a control, windowed or graphic.
class TDragControl {
 public:
  virtual ~TDragControl();
  TDragMode DragMode = dmManual;
  // Shown while the control being dragged is over a control that takes it.
  TCursor DragCursor = crDrag;

  // Starts dragging at once, or once the mouse has moved threshold pixels
  // with the left button held (-1: the system's drag distance).
  void BeginDrag(bool immediate, int threshold = -1);
  // Ends the drag: with drop, on the control under the mouse when it takes
  // the drop; else the drag is cancelled.
  void EndDrag(bool drop);
  bool Dragging() const;

  TStartDragEvent OnStartDrag;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;

  // The control of a window at a point of its client area (the graphic
  // child there, else the window's own control); none when no control
  // of this program is there.
  static TDragControl* ControlAt(HWND window, POINT client);
  // A message of a window while a drag runs; true when the drag took it.
  static bool DragMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp);

 protected:
  virtual void DoStartDrag();
  // Answers whether the control takes the source; without OnDragOver no.
  virtual bool DragOver(TObject* source, int x, int y, TDragState state);
  virtual void DragDrop(TObject* source, int x, int y);
  virtual void DoEndDrag(TObject* target, int x, int y);
  // The control as the events' sender and source.
  virtual TObject* DragSelf() = 0;
  // The window that holds the mouse during the drag.
  virtual HWND DragWindow() const = 0;
  // Screen to the control's own co-ordinates.
  virtual POINT DragScreenToClient(POINT screen) const = 0;

 private:
  friend struct DragRun;
};
