// Drag and drop between controls of one form, driven by the real mouse:
// the events come in order, a refusing control gets no drop and shows the
// no-drop cursor, Escape cancels, and a graphic control takes a drop.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Application.h"
#include "Forms.h"
#include "GraphicControls.h"
#include "Pump.h"
#include "StdCtrls.h"

namespace {

std::string NameOf(TObject* o) {
  auto* c = dynamic_cast<TComponent*>(o);
  return c ? c->Name() : "none";
}

struct DragForm : TForm {
  TPanel* source;
  TPanel* taker;
  TPanel* refuser;
  TGraphicControl* spot;
  std::vector<std::string> events;
  int moves = 0;

  explicit DragForm(TComponent* owner) : TForm(owner, "TDragTestForm") {
    SetCaption("Drag Test Window");
    SetBounds(60, 60, 420, 200);
    source = Panel("source", 10, 10);
    taker = Panel("taker", 110, 10);
    refuser = Panel("refuser", 210, 10);
    spot = new TGraphicControl(this);
    spot->SetName("spot");
    spot->SetBounds(310, 10, 80, 80);
    spot->SetParent(this);
    source->DragMode = dmAutomatic;
    source->OnStartDrag = [this](TObject* s) { events.push_back("start " + NameOf(s)); };
    source->OnEndDrag = [this](TObject* s, TObject* target, int, int) {
      events.push_back("end " + NameOf(s) + " on " + NameOf(target));
    };
    for (TDragControl* c : {static_cast<TDragControl*>(taker), static_cast<TDragControl*>(refuser),
                            static_cast<TDragControl*>(spot)}) {
      c->OnDragOver = [this](TObject* s, TObject* src, int, int, TDragState state, bool& accept) {
        if (state == dsDragMove) {
          ++moves;
        } else {
          events.push_back((state == dsDragEnter ? "enter " : "leave ") + NameOf(s));
        }
        accept = s != refuser && src == source;
      };
      c->OnDragDrop = [this](TObject* s, TObject* src, int x, int y) {
        events.push_back("drop " + NameOf(src) + " on " + NameOf(s) + " at " + std::to_string(x) +
                         "," + std::to_string(y));
      };
    }
    FormCreated();
  }

  TPanel* Panel(const char* name, int x, int y) {
    auto* p = new TPanel(this);
    p->SetName(name);
    p->SetBounds(x, y, 80, 80);
    p->SetParent(this);
    return p;
  }

  void MoveTo(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(Handle(), &p);
    SetCursorPos(p.x, p.y);
    PumpUntil([] { return false; }, 80);
  }
};

void Button(DWORD flag) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flag;
  SendInput(1, &in, sizeof in);
  PumpUntil([] { return false; }, 80);
}

using Events = std::vector<std::string>;

}  // namespace

TEST(DragDrop, MouseDragsFromOneControlToAnotherThatTakesOrRefusesIt) {
  Application->Initialize();
  DragForm form(nullptr);
  form.SetFormStyle(fsStayOnTop);
  form.Show();
  SetForegroundWindow(form.Handle());
  POINT at = {50, 50};
  ClientToScreen(form.Handle(), &at);
  ASSERT_TRUE(PumpUntil([&] { return WindowFromPoint(at) == form.source->Handle(); }, 3000));

  // A press and release without moving is no drag.
  form.MoveTo(50, 50);
  Button(MOUSEEVENTF_LEFTDOWN);
  Button(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(form.events.empty());
  EXPECT_FALSE(form.source->Dragging());

  // Over the refusing panel the no-drop cursor shows and nothing drops;
  // over the taker the drag cursor shows and the drop lands there.
  Button(MOUSEEVENTF_LEFTDOWN);
  form.MoveTo(60, 55);
  EXPECT_TRUE(form.source->Dragging());
  form.MoveTo(250, 50);
  form.MoveTo(252, 51);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crNoDrop));
  form.MoveTo(150, 50);
  form.MoveTo(151, 52);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crDrag));
  Button(MOUSEEVENTF_LEFTUP);
  EXPECT_FALSE(form.source->Dragging());
  EXPECT_EQ(form.events, (Events{"start source", "enter refuser", "leave refuser", "enter taker",
                                 "drop source on taker at 41,42", "end source on taker"}));
  EXPECT_GT(form.moves, 0);

  // Released over the refusing panel: no drop, the drag ends on none.
  form.events.clear();
  form.MoveTo(50, 50);
  Button(MOUSEEVENTF_LEFTDOWN);
  form.MoveTo(250, 50);
  form.MoveTo(251, 50);
  Button(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(form.events, (Events{"start source", "enter refuser", "leave refuser", "end source on none"}));

  // The graphic control takes a drop in its own co-ordinates; a custom
  // drag cursor shows over it.
  form.events.clear();
  form.source->DragCursor = crHandPoint;
  form.MoveTo(50, 50);
  Button(MOUSEEVENTF_LEFTDOWN);
  form.MoveTo(340, 30);
  form.MoveTo(341, 31);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  Button(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(form.events, (Events{"start source", "enter spot", "drop source on spot at 31,21",
                                 "end source on spot"}));

  // Escape cancels a drag started in code at once.
  form.events.clear();
  form.source->DragMode = dmManual;
  form.MoveTo(150, 50);
  form.source->BeginDrag(true);
  EXPECT_TRUE(form.source->Dragging());
  form.MoveTo(151, 50);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  keybd_event(VK_ESCAPE, 0, 0, 0);
  keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form.source->Dragging(); }, 3000));
  EXPECT_EQ(form.events, (Events{"start source", "enter taker", "leave taker", "end source on none"}));
  // Without a drag mode a press starts nothing.
  form.events.clear();
  form.MoveTo(50, 50);
  Button(MOUSEEVENTF_LEFTDOWN);
  form.MoveTo(150, 50);
  Button(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(form.events.empty());
}
