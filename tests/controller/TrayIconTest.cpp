// The icon list and the tray icon in this process: the stored form of the
// list, its change notices, the tip and the animation thread.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "Application.h"
#include "IconList.h"
#include "Streams.h"
#include "TrayShell.h"

namespace {

// A 16 x 16 icon of one colour.
HICON MakeIcon(COLORREF colour) {
  HDC screen = GetDC(nullptr);
  HBITMAP image = CreateCompatibleBitmap(screen, 16, 16);
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, image);
  HBRUSH brush = CreateSolidBrush(colour);
  RECT r = {0, 0, 16, 16};
  FillRect(dc, &r, brush);
  SelectObject(dc, mask);
  PatBlt(dc, 0, 0, 16, 16, BLACKNESS);
  SelectObject(dc, old);
  DeleteObject(brush);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  ICONINFO info = {TRUE, 0, 0, mask, image};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(image);
  DeleteObject(mask);
  return icon;
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    Application->ProcessMessages();
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

TEST(IconList, StoredFormKeepsEmptyEntriesAndRejectsShortData) {
  TIconList list;
  TIcon red, blue;
  red.SetHandle(MakeIcon(RGB(255, 0, 0)));
  blue.SetHandle(MakeIcon(RGB(0, 0, 255)));
  list.Add(&red);
  list.Put(1, nullptr);  // at the end: a new, empty entry
  list.Add(&blue);
  EXPECT_TRUE(list.NeedsStoring(nullptr));

  TMemoryStream stream;
  list.WriteData(stream);
  stream.SetPosition(0);
  TIconList copy;
  copy.ReadData(stream);
  ASSERT_EQ(copy.GetCount(), 3);
  EXPECT_FALSE(copy.Get(0)->Empty());
  EXPECT_TRUE(copy.Get(1)->Empty());
  EXPECT_FALSE(copy.Get(2)->Empty());
  EXPECT_FALSE(copy.NeedsStoring(&list));
  copy.Exchange(0, 2);
  EXPECT_TRUE(copy.NeedsStoring(&list));
  TIconList none;
  EXPECT_FALSE(none.NeedsStoring(nullptr));

  // An entry that claims more bytes than the stream holds.
  TMemoryStream bad;
  bad.WriteDWord(2);
  bad.WriteDWord(0);
  bad.WriteDWord(5000);
  bad.WriteDWord(0);
  bad.SetPosition(0);
  EXPECT_ANY_THROW(copy.ReadData(bad));
  EXPECT_EQ(copy.GetCount(), 1);
}

TEST(IconList, ChangesAreNoticedOnceAnUpdateEnds) {
  TIconList list;
  int notices = 0;
  list.SetNotify([&](TIconList*, void*) { ++notices; }, nullptr);
  TIcon red;
  red.SetHandle(MakeIcon(RGB(255, 0, 0)));
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add(&red);
  list.Add(&red);
  list.EndUpdate();
  EXPECT_EQ(notices, 0);
  list.EndUpdate();
  EXPECT_EQ(notices, 1);
  list.Get(1)->SetHandle(MakeIcon(RGB(0, 255, 0)));  // an icon in the list changes
  EXPECT_EQ(notices, 2);
  list.Assign(&red);
  EXPECT_EQ(list.GetCount(), 1);
  list.Assign(nullptr);
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(TrayIcon, TipAndAnimation) {
  Application->Initialize();
  TTrayIcon tray(nullptr);
  tray.SetAnimated(true);
  EXPECT_FALSE(tray.Animated());  // nothing to animate
  tray.SetHint("Brindale|more");
  EXPECT_EQ(tray.ShortHint(), "Brindale");
  tray.SetHint(std::string(80, 'x'));
  EXPECT_EQ(tray.ShortHint(), std::string(63, 'x'));

  TIcon frames[3];
  for (int i = 0; i < 3; ++i) frames[i].SetHandle(MakeIcon(RGB(80 * i, 0, 0)));
  tray.Icon()->Assign(&frames[0]);
  tray.SetInterval(5);
  for (TIcon& frame : frames) tray.Icons()->Add(&frame);
  tray.SetAnimated(true);
  ASSERT_TRUE(tray.Animated());
  // The list is refilled and animation switched while the thread steps.
  for (int round = 0; round < 50; ++round) {
    tray.BeginIconsUpdate();
    tray.Icons()->Clear();
    for (int i = 0; i <= round % 3; ++i) tray.Icons()->Add(&frames[i]);
    tray.EndIconsUpdate();
    if (round % 10 == 0) {
      tray.SetAnimated(false);
      tray.SetAnimated(true);
    }
    Pump(2);
  }
  tray.BeginIconsUpdate();
  for (int i = tray.Icons()->GetCount(); i < 3; ++i) tray.Icons()->Add(&frames[i]);
  tray.EndIconsUpdate();
  ASSERT_TRUE(tray.Added());
  {
    bool seen[3] = {};
    for (int i = 0; i < 200 && !(seen[0] && seen[1] && seen[2]); ++i) {
      int frame = tray.Frame();
      if (frame >= 0 && frame < 3) seen[frame] = true;
      Pump(2);
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
  }
  tray.SetAnimated(false);
  EXPECT_EQ(tray.Frame(), 0);
  tray.BeginIconsUpdate();
  tray.Icons()->Clear();
  tray.EndIconsUpdate();
  EXPECT_FALSE(tray.Animated());
}

int ThreadsOfThisProcess() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry))
    n += entry.th32OwnerProcessID == GetCurrentProcessId();
  CloseHandle(snap);
  return n;
}

TEST(TrayIcon, EmptiedListEndsTheAnimationThreadBeforeANewOne) {
  Application->Initialize();
  TIcon frames[2];
  for (int i = 0; i < 2; ++i) frames[i].SetHandle(MakeIcon(RGB(0, 90 * i, 0)));
  TTrayIcon tray(nullptr);
  tray.Icon()->Assign(&frames[0]);
  tray.SetInterval(20);
  Pump(100);
  const int before = ThreadsOfThisProcess();
  ASSERT_GT(before, 0);
  // Emptying the list turns the animation off; switching it on again
  // (as every run's icon does) must leave one thread, not one more each time.
  for (int round = 0; round < 5; ++round) {
    for (TIcon& frame : frames) tray.Icons()->Add(&frame);
    tray.SetAnimated(true);
    ASSERT_TRUE(tray.Animated());
    Pump(60);
    tray.Icons()->Clear();
    EXPECT_FALSE(tray.Animated());
    Pump(60);
  }
  for (TIcon& frame : frames) tray.Icons()->Add(&frame);
  tray.SetAnimated(true);
  Pump(200);
  EXPECT_LE(ThreadsOfThisProcess(), before + 1);
  tray.SetAnimated(false);
  Pump(200);
  EXPECT_LE(ThreadsOfThisProcess(), before);
}

}  // namespace
