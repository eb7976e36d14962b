// The GIF animator on a real window: the frames come in order with their
// pixels on screen, a non-looping animation stops once, transparent pixels
// show the window behind, and a running animator can be destroyed.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "../forms/Pump.h"
#include "Application.h"
#include "Fixtures.h"
#include "Forms.h"
#include "GIFAnimator.h"
#include "Menus.h"

namespace {

struct AnimatorForm : TForm {
  explicit AnimatorForm(TComponent* owner) : TForm(owner, "TAnimatorTestForm") {
    SetCaption("Animator Test Window");
    SetColor(clYellow);
    SetBounds(40, 40, 240, 200);
    FormCreated();
  }
};

COLORREF WindowPixel(HWND w, int x, int y) {
  HDC dc = GetDC(w);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(w, dc);
  return c;
}

void LoadInto(TGIFAnimator* animator, const char* name) {
  std::vector<uint8_t> bytes = FixtureBytes(name);
  TMemoryStream m;
  m.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  m.SetPosition(0);
  animator->Image()->LoadFromStream(&m);
}

}  // namespace

TEST(GIFAnimator, PlaysFramesInOrderAndStopsOnceWithoutLoop) {
  Application->Initialize();
  AnimatorForm form(nullptr);
  auto* animator = new TGIFAnimator(&form);
  animator->SetLeft(10);
  animator->SetTop(10);
  animator->SetParent(&form);
  LoadInto(animator, "solid3.gif");
  EXPECT_EQ(animator->Width(), 20);  // sized to the image
  EXPECT_EQ(animator->FrameDelay(1), 60);
  form.Show();
  UpdateWindow(form.Handle());
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(WindowPixel(form.Handle(), 20, 20), RGB(255, 0, 0));
  EXPECT_EQ(WindowPixel(form.Handle(), 5, 5), RGB(255, 255, 0));

  // Setting the frame to itself or outside the frames changes nothing.
  int changes = 0;
  animator->OnFrameChanged = [&](TObject*) { ++changes; };
  for (int n : {0, -1, 3}) animator->SetFrameIndex(n);
  EXPECT_EQ(changes, 0);

  struct Seen {
    int frame;
    COLORREF centre;
  };
  std::vector<Seen> seen;
  int lastFrame = 0, starts = 0, stops = 0;
  animator->OnStart = [&](TObject*) { ++starts; };
  animator->OnStop = [&](TObject*) { ++stops; };
  animator->SetLoop(false);
  animator->SetAnimate(true);
  EXPECT_TRUE(animator->Animate());
  PumpUntil([&] {
    if (animator->FrameIndex() != lastFrame) {
      lastFrame = animator->FrameIndex();
      seen.push_back({lastFrame, WindowPixel(form.Handle(), 20, 20)});
    }
    return !animator->Animate();
  }, 5000);
  PumpUntil([] { return false; }, 300);
  ASSERT_EQ(seen.size(), 3u);
  const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(seen[static_cast<size_t>(i)].frame, (i + 1) % 3);
    EXPECT_EQ(seen[static_cast<size_t>(i)].centre, colours[(i + 1) % 3]) << i;
  }
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(animator->Animate());
}

TEST(GIFAnimator, TransparentAndEmptyImagesShowTheWindowBehind) {
  Application->Initialize();
  AnimatorForm form(nullptr);
  auto* empty = new TGIFAnimator(&form);
  empty->SetParent(&form);
  auto* sprite = new TGIFAnimator(&form);
  sprite->SetLeft(150);
  sprite->SetTop(20);
  sprite->SetParent(&form);
  LoadInto(sprite, "transparent.gif");
  form.Show();
  UpdateWindow(form.Handle());
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(empty->Width(), 105);
  EXPECT_EQ(WindowPixel(form.Handle(), 50, 50), RGB(255, 255, 0));
  EXPECT_EQ(WindowPixel(form.Handle(), 150, 21), RGB(255, 255, 0));   // transparent column
  EXPECT_EQ(WindowPixel(form.Handle(), 152, 21), RGB(90, 60, 30));
  sprite->SetTransparent(false);
  UpdateWindow(form.Handle());
  EXPECT_NE(WindowPixel(form.Handle(), 150, 21), RGB(255, 255, 0));
}

// In the designer an empty or transparent animator is outlined with a
// dashed frame; an opaque one, and any animator at run time, is not.
TEST(GIFAnimator, DesignerShowsADashedFrameAroundEmptyAndTransparentImages) {
  Application->Initialize();
  AnimatorForm form(nullptr);
  auto* empty = new TGIFAnimator(&form);
  empty->SetBounds(10, 10, 60, 60);
  empty->SetParent(&form);
  auto* opaque = new TGIFAnimator(&form);
  opaque->SetLeft(120);
  opaque->SetTop(10);
  opaque->SetParent(&form);
  LoadInto(opaque, "solid3.gif");
  opaque->SetTransparent(false);
  opaque->Image()->SetTransparent(false);
  form.Show();
  auto topEdge = [&](int left, int width) {
    InvalidateRect(form.Handle(), nullptr, TRUE);
    UpdateWindow(form.Handle());
    int black = 0, other = 0;
    for (int x = left; x < left + width; ++x)
      (WindowPixel(form.Handle(), x, 10) == RGB(0, 0, 0) ? black : other)++;
    return std::make_pair(black, other);
  };
  EXPECT_EQ(topEdge(10, 60).first, 0);
  empty->SetDesigning(true);
  opaque->SetDesigning(true);
  auto dashed = topEdge(10, 60);
  EXPECT_GT(dashed.first, 10);
  EXPECT_GT(dashed.second, 10);  // dashes, not a line
  EXPECT_EQ(WindowPixel(form.Handle(), 40, 40), RGB(255, 255, 0));  // the clear brush
  EXPECT_EQ(topEdge(120, opaque->Width()).first, 0);
}

// Each setting of Animate runs its steps, also when it has that value.
TEST(GIFAnimator, SettingAnimateToItsValueRunsItsSteps) {
  Application->Initialize();
  AnimatorForm form(nullptr);
  auto* animator = new TGIFAnimator(&form);
  animator->SetParent(&form);
  LoadInto(animator, "solid3.gif");
  int starts = 0, stops = 0;
  animator->OnStart = [&](TObject*) { ++starts; };
  animator->OnStop = [&](TObject*) { ++stops; };
  animator->SetAnimate(false);
  EXPECT_EQ(stops, 1);
  animator->SetAnimate(true);
  animator->SetAnimate(true);
  EXPECT_EQ(starts, 2);
  EXPECT_TRUE(animator->Animate());
  animator->SetAnimate(false);
  animator->SetAnimate(false);
  EXPECT_EQ(stops, 3);
  EXPECT_FALSE(animator->Animate());
}

TEST(GIFAnimator, RunningAnimatorIsDestroyedCleanly) {
  Application->Initialize();
  AnimatorForm form(nullptr);
  auto* animator = new TGIFAnimator(&form);
  animator->SetParent(&form);
  LoadInto(animator, "solid3.gif");
  form.Show();
  int frames = 0;
  animator->OnFrameChanged = [&](TObject*) { ++frames; };
  animator->SetAnimate(true);
  ASSERT_TRUE(PumpUntil([&] { return frames >= 4; }, 5000));  // loops by default
  delete animator;
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(form.GraphicControlCount(), 0);
  // Hidden, a running animator does not advance.
  auto* hidden = new TGIFAnimator(&form);
  hidden->SetParent(&form);
  LoadInto(hidden, "solid3.gif");
  hidden->SetVisible(false);
  hidden->SetAnimate(true);
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(hidden->FrameIndex(), 0);
  EXPECT_TRUE(hidden->Animate());
  // An animator may be freed by its own stop event.
  hidden->SetVisible(true);
  hidden->SetLoop(false);
  bool stopped = false;
  hidden->OnStop = [&](TObject* sender) {
    stopped = true;
    delete static_cast<TGIFAnimator*>(sender);
  };
  EXPECT_TRUE(PumpUntil([&] { return stopped; }, 5000));
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(form.GraphicControlCount(), 0);
}

namespace {

void MouseButton(DWORD flag) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flag;
  SendInput(1, &in, sizeof in);
  Sleep(40);
}

}  // namespace

// The form hands the mouse over the animator to it: clicks, a double
// click, moves and buttons in the animator's co-ordinates, and its cursor.
TEST(GIFAnimator, TakesTheMouseOverItFromItsParent) {
  Application->Initialize();
  AnimatorForm form(nullptr);
  form.SetFormStyle(fsStayOnTop);
  auto* animator = new TGIFAnimator(&form);
  animator->SetLeft(30);
  animator->SetTop(20);
  animator->SetParent(&form);
  LoadInto(animator, "solid3.gif");
  animator->Cursor = crHandPoint;
  int clicks = 0, doubles = 0, formClicks = 0;
  std::vector<POINT> downs, moves;
  animator->OnClick = [&](TObject*) { ++clicks; };
  animator->OnDblClick = [&](TObject*) { ++doubles; };
  animator->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { downs.push_back({x, y}); };
  animator->OnMouseMove = [&](TObject*, TShiftState, int x, int y) { moves.push_back({x, y}); };
  form.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++formClicks; };
  form.Show();
  SetForegroundWindow(form.Handle());
  POINT at = {30 + 5, 20 + 7};
  ClientToScreen(form.Handle(), &at);
  ASSERT_TRUE(PumpUntil([&] { return WindowFromPoint(at) == form.Handle(); }, 3000));
  SetCursorPos(at.x, at.y);
  ASSERT_TRUE(PumpUntil([&] { return !moves.empty(); }, 3000));
  EXPECT_EQ(moves.back().x, 5);
  EXPECT_EQ(moves.back().y, 7);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  MouseButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }, 3000));
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].x, 5);
  EXPECT_EQ(downs[0].y, 7);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  MouseButton(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(PumpUntil([&] { return doubles == 1; }, 3000));
  EXPECT_EQ(formClicks, 0);
  // Beside the animator the form has the mouse.
  POINT beside = {5, 5};
  ClientToScreen(form.Handle(), &beside);
  SetCursorPos(beside.x, beside.y);
  Sleep(60);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  MouseButton(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(PumpUntil([&] { return formClicks == 1; }, 3000));
  EXPECT_EQ(clicks, 2);  // the double click's second press ends as a click too
}

// The animator is dragged by the mouse onto its form, which takes it; a
// right click over it opens its popup menu; aligned, it takes its edge.
TEST(GIFAnimator, DragsOntoTheFormAndPopsItsMenu) {
  Application->Initialize();
  AnimatorForm form(nullptr);
  form.SetFormStyle(fsStayOnTop);
  auto* animator = new TGIFAnimator(&form);
  animator->SetName("animator");
  animator->SetLeft(30);
  animator->SetTop(20);
  animator->SetParent(&form);
  LoadInto(animator, "solid3.gif");
  animator->DragMode = dmAutomatic;
  animator->DragCursor = crMultiDrag;
  std::vector<std::string> events;
  animator->OnStartDrag = [&](TObject*) { events.push_back("start"); };
  animator->OnEndDrag = [&](TObject*, TObject* target, int x, int y) {
    events.push_back(std::string(target == &form ? "end on form at " : "end elsewhere at ") +
                     std::to_string(x) + "," + std::to_string(y));
  };
  form.OnDragOver = [&](TObject*, TObject* source, int, int, TDragState, bool& accept) {
    accept = source == animator;
  };
  form.OnDragDrop = [&](TObject*, TObject* source, int x, int y) {
    if (source == animator) animator->SetBounds(x, y, animator->Width(), animator->Height());
  };
  form.Show();
  SetForegroundWindow(form.Handle());
  POINT at = {35, 25};
  ClientToScreen(form.Handle(), &at);
  ASSERT_TRUE(PumpUntil([&] { return WindowFromPoint(at) == form.Handle(); }, 3000));
  SetCursorPos(at.x, at.y);
  PumpUntil([] { return false; }, 80);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  for (int step = 1; step <= 5; ++step) {
    SetCursorPos(at.x + 20 * step, at.y + 10 * step);
    PumpUntil([] { return false; }, 60);
  }
  EXPECT_EQ(GetCursor(), Screen->Cursors(crMultiDrag));
  MouseButton(MOUSEEVENTF_LEFTUP);
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(events, (std::vector<std::string>{"start", "end on form at 135,75"}));
  EXPECT_EQ(animator->Left(), 135);
  UpdateWindow(form.Handle());
  EXPECT_EQ(WindowPixel(form.Handle(), 140, 80), RGB(255, 0, 0));  // painted where it landed

  // A right click over the animator opens its menu; its item is picked by keys.
  TPopupMenu menu(nullptr);
  auto* item = new TMenuItem(&menu);
  item->SetCaption("Animator item");
  menu.Items()->Add(item);
  int picked = 0;
  item->OnClick = [&](TObject*) { ++picked; };
  animator->SetPopupMenu(&menu);
  std::atomic<bool> shown{false};
  std::thread watcher([&] {
    for (int i = 0; i < 500 && !shown; ++i) {
      HWND w = FindWindowA("#32768", nullptr);
      if (w && IsWindowVisible(w)) {
        shown = true;
        keybd_event(VK_DOWN, 0, 0, 0);
        keybd_event(VK_DOWN, 0, KEYEVENTF_KEYUP, 0);
        keybd_event(VK_RETURN, 0, 0, 0);
        keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
      }
      Sleep(10);
    }
  });
  POINT over = {140, 80};
  ClientToScreen(form.Handle(), &over);
  SetCursorPos(over.x, over.y);
  PumpUntil([] { return false; }, 80);
  MouseButton(MOUSEEVENTF_RIGHTDOWN);
  MouseButton(MOUSEEVENTF_RIGHTUP);
  EXPECT_TRUE(PumpUntil([&] { return picked == 1; }, 5000));
  watcher.join();
  EXPECT_TRUE(shown);
  EXPECT_EQ(menu.PopupComponent, animator);

  // Aligned to the bottom it spans the form's client width there.
  animator->SetAlign(alBottom);
  EXPECT_EQ(animator->Width(), form.ClientWidth());
  EXPECT_EQ(animator->Height(), 20);  // its own height, as AutoSize gives it
  EXPECT_EQ(animator->Top(), form.ClientHeight() - animator->Height());
}
