#include "DragDrop.h"

#include <cstdlib>
#include <memory>

#include "Controls.h"
#include "GraphicControls.h"

// The one drag of the program.
struct DragRun {
  TDragControl* source;
  HWND capture;
  POINT start;
  int threshold;
  bool started = false;
  TDragControl* target = nullptr;
  bool accepted = false;
  POINT last = {0, 0};

  static std::unique_ptr<DragRun>& Current() {
    static std::unique_ptr<DragRun> run;
    return run;
  }

  void ShowCursor() const {
    ::SetCursor(Screen->Cursors(accepted ? source->DragCursor : static_cast<TCursor>(crNoDrop)));
  }

  void Start() {
    started = true;
    source->DoStartDrag();
    if (Current().get() != this) return;  // the handler ended the drag
    POINT p;
    GetCursorPos(&p);
    MoveTo(p);
  }

  void MoveTo(POINT screen) {
    last = screen;
    HWND w = WindowFromPoint(screen);
    POINT client = screen;
    if (w) ScreenToClient(w, &client);
    TDragControl* now = w ? TDragControl::ControlAt(w, client) : nullptr;
    TObject* src = source->DragSelf();
    TDragState state = dsDragMove;
    if (now != target) {
      if (TDragControl* old = target) {
        target = nullptr;
        POINT p = old->DragScreenToClient(screen);
        old->DragOver(src, p.x, p.y, dsDragLeave);
        if (Current().get() != this) return;  // a handler ended the drag
      }
      target = now;
      state = dsDragEnter;
    }
    accepted = false;
    if (target) {
      POINT p = target->DragScreenToClient(screen);
      const bool accept = target->DragOver(src, p.x, p.y, state);
      if (Current().get() != this) return;
      accepted = accept;
    }
    ShowCursor();
  }

  // Ends the drag (the run is gone afterwards).
  static void Finish(bool drop) {
    std::unique_ptr<DragRun> run = std::move(Current());
    if (!run) return;
    if (GetCapture() == run->capture) ReleaseCapture();
    if (!run->started) return;
    TObject* src = run->source->DragSelf();
    TObject* target = nullptr;
    POINT p = run->source->DragScreenToClient(run->last);
    if (run->target && !(drop && run->accepted)) {
      POINT t = run->target->DragScreenToClient(run->last);
      run->target->DragOver(src, t.x, t.y, dsDragLeave);
    } else if (run->target) {
      p = run->target->DragScreenToClient(run->last);
      target = run->target->DragSelf();
      run->target->DragDrop(src, p.x, p.y);
    }
    ::SetCursor(Screen->Cursors(crDefault));
    run->source->DoEndDrag(target, p.x, p.y);
  }
};

TDragControl::~TDragControl() {
  std::unique_ptr<DragRun>& run = DragRun::Current();
  if (!run) return;
  if (run->source == this) {
    HWND capture = run->capture;
    run.reset();
    if (GetCapture() == capture) ReleaseCapture();
  } else if (run->target == this) {
    run->target = nullptr;
    run->accepted = false;
  }
}

void TDragControl::BeginDrag(bool immediate, int threshold) {
  std::unique_ptr<DragRun>& run = DragRun::Current();
  HWND w = DragWindow();
  if (run || !w) return;
  POINT p;
  GetCursorPos(&p);
  run.reset(new DragRun{this, w, p, threshold < 0 ? GetSystemMetrics(SM_CXDRAG) : threshold});
  SetCapture(w);
  if (immediate) run->Start();
}

void TDragControl::EndDrag(bool drop) {
  const std::unique_ptr<DragRun>& run = DragRun::Current();
  if (run && run->source == this) DragRun::Finish(drop);
}

bool TDragControl::Dragging() const {
  const std::unique_ptr<DragRun>& run = DragRun::Current();
  return run && run->source == this && run->started;
}

void TDragControl::DoStartDrag() {
  if (OnStartDrag) OnStartDrag(DragSelf());
}

bool TDragControl::DragOver(TObject* source, int x, int y, TDragState state) {
  bool accept = false;
  if (OnDragOver) {
    accept = true;
    OnDragOver(DragSelf(), source, x, y, state, accept);
  }
  return accept;
}

void TDragControl::DragDrop(TObject* source, int x, int y) {
  if (OnDragDrop) OnDragDrop(DragSelf(), source, x, y);
}

void TDragControl::DoEndDrag(TObject* target, int x, int y) {
  if (OnEndDrag) OnEndDrag(DragSelf(), target, x, y);
}

TDragControl* TDragControl::ControlAt(HWND window, POINT client) {
  for (HWND h = window; h; h = GetParent(h)) {
    TWinControl* c = TWinControl::FromHandle(h);
    if (!c) continue;
    POINT p = client;
    MapWindowPoints(window, h, &p, 1);
    if (TGraphicControl* g = c->GraphicControlAt(p.x, p.y)) return g;
    return c;
  }
  return nullptr;
}

bool TDragControl::DragMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  DragRun* run = DragRun::Current().get();
  if (!run) return false;
  if (msg == WM_KEYDOWN && wp == VK_ESCAPE && run->started) {
    DragRun::Finish(false);
    return true;
  }
  if (window != run->capture) return false;
  switch (msg) {
    case WM_MOUSEMOVE: {
      POINT p;
      GetCursorPos(&p);
      if (!run->started) {
        if (!(wp & MK_LBUTTON)) {
          DragRun::Finish(false);
          return false;
        }
        if (std::abs(p.x - run->start.x) <= run->threshold && std::abs(p.y - run->start.y) <= run->threshold)
          return false;
        run->Start();
        return true;
      }
      run->MoveTo(p);
      return true;
    }
    case WM_LBUTTONUP:
      if (!run->started) {
        DragRun::Finish(false);
        return false;
      }
      DragRun::Finish(true);
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      return run->started;
    case WM_SETCURSOR:
      if (!run->started) return false;
      run->ShowCursor();
      return true;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != window) DragRun::Finish(false);
      return false;
    default:
      return false;
  }
}
