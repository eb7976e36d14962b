// A bar between two aligned controls of one parent: dragging it with the
// left button shows an inverted line across the form and, on release,
// resizes one of the two controls.
#pragma once

#include "Filer.h"
#include "StdCtrls.h"

using TPosChangingEvent = std::function<void(TObject* sender, int x, int y, bool& allowChange)>;

class TSplitterBar : public TPanel {
 public:
  explicit TSplitterBar(TComponent* owner);
  ~TSplitterBar() override;

  TWinControl* ControlFirst() const { return first_; }
  void SetControlFirst(TWinControl* control);
  TWinControl* ControlSecond() const { return second_; }
  void SetControlSecond(TWinControl* control);
  void SetAlign(TAlign align) override;
  int TopLeftLimit = 20;
  int BottomRightLimit = 20;
  TNotifyEvent OnPosChanged;
  TPosChangingEvent OnPosChanging;

  // 0 no drag; 1 first's height, 2 second's height, 3 first's width,
  // 4 second's width.
  int ResizeStyle() const;
  bool Dragging() const { return dragging_; }
  void DefineProperties(TFiler& filer) override;

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void CaptureChanged() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  TWinControl* Checked(TWinControl* control);
  void UpdateCursor();
  bool Vertical() const;  // the bar moves up and down
  POINT Clamp(POINT p, bool& clamped) const;
  void DrawLine();
  void MoveLine(POINT p);
  // Ends a drag: erases the line, gives back the context, the hints and
  // the borrowed key handler.
  void EndDrag(bool restoreKeysNow = true);
  void RestoreKeys();
  TWinControl* first_ = nullptr;
  TWinControl* second_ = nullptr;
  bool dragging_ = false;
  int style_ = 0;
  POINT offset_ = {0, 0};
  RECT limits_ = {0, 0, 0, 0};
  POINT line_ = {0, 0};  // where the line is, in splitter co-ordinates
  bool lineShown_ = false;
  TForm* form_ = nullptr;
  HDC dc_ = nullptr;
  TWinControl* keyOwner_ = nullptr;
  TKeyEvent savedKeyDown_;
  bool savedHints_ = true;
};
