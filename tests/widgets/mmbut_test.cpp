// Picture buttons and tiled panels on real windows: the picture for each
// state read back from the window, one click per press, shared pictures
// and glyphs, and the buttons made from module resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../forms/Pump.h"
#include "Forms.h"
#include "Streams.h"
#include "TezMMBut.h"
#include "TilePanel.h"
#include "Utils.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
               kYellow = RGB(255, 255, 0), kGray = RGB(128, 128, 128);

COLORREF Shown(TWinControl* c, int x, int y) {
  InvalidateRect(c->Handle(), nullptr, TRUE);
  UpdateWindow(c->Handle());
  HDC dc = GetDC(c->Handle());
  COLORREF p = GetPixel(dc, x, y);
  ReleaseDC(c->Handle(), dc);
  return p;
}

std::unique_ptr<TBitmap> Solid(int w, int h, COLORREF c, COLORREF left = CLR_INVALID) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  HDC dc = b->Canvas()->Handle();
  RECT r = {0, 0, w, h};
  HBRUSH br = CreateSolidBrush(c);
  FillRect(dc, &r, br);
  DeleteObject(br);
  if (left != CLR_INVALID) {
    RECT l = {0, 0, 1, h};
    br = CreateSolidBrush(left);
    FillRect(dc, &l, br);
    DeleteObject(br);
  }
  return b;
}

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Initialize();
    form_ = new TForm(Application);
    form_->SetBounds(10, 10, 300, 200);
    form_->Show();
    Application->ProcessMessages();
  }
  void TearDown() override { delete form_; }
  void Send(TWinControl* c, UINT msg, int x, int y, WPARAM keys = 0) {
    SendMessageA(c->Handle(), msg, keys, MAKELPARAM(x, y));
    Application->ProcessMessages();
  }
  TForm* form_ = nullptr;
};

}  // namespace

TEST_F(ButtonTest, PositionButtonShowsThePictureOfEachState) {
  TTezMMBut* b = CreatePositionButton(0, GetModuleHandleA(nullptr), form_, form_, 10, 10, true,
                                      true, "Move up", 7, 0);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(b->Width(), 26);
  EXPECT_EQ(b->Height(), 22);
  EXPECT_EQ(b->Tag, 7);
  EXPECT_EQ(b->Hint, "Move up");
  EXPECT_EQ(b->Caption(), "");
  EXPECT_EQ(Shown(b, 13, 11), kRed);
  Send(b, WM_MOUSEMOVE, 5, 5);  // the mouse comes over it
  EXPECT_EQ(Shown(b, 13, 11), kGreen);
  Send(b, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  EXPECT_EQ(Shown(b, 13, 11), kYellow);
  Send(b, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Shown(b, 13, 11), kBlue);
  Send(b, WM_LBUTTONUP, 60, 60);  // released outside: no click
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(Shown(b, 13, 11), kRed);
  Send(b, WM_MOUSEMOVE, 5, 5);
  Send(b, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  Send(b, WM_LBUTTONUP, 5, 5);
  EXPECT_EQ(clicks, 1);  // one click per click
  Send(b, WM_LBUTTONUP, 5, 5);
  EXPECT_EQ(clicks, 1);  // none for a release without a press
  b->SetEnabled(false);
  EXPECT_EQ(Shown(b, 13, 11), kGray);
  // Other kinds: no pictures for an unknown kind; a picture the module
  // lacks raises the resource error.
  TTezMMBut* none = CreatePositionButton(9, GetModuleHandleA(nullptr), form_, form_, 40, 10, true,
                                         true, "", 0, 0);
  EXPECT_TRUE(none->PicNormal()->Empty());
  try {
    CreatePositionButton(1, GetModuleHandleA(nullptr), form_, form_, 70, 10, true, true, "", 0, 0);
    ADD_FAILURE() << "no exception";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource HALVORN_BMP_DOWN1HI_BMP not found");
  }
  // A button with only some pictures: the normal one stands in.
  auto* down = new TTezMMBut(form_);
  down->Flat = true;
  down->SetBounds(70, 10, 26, 22);
  down->PicNormal()->LoadFromResourceName(GetModuleHandleA(nullptr), "HALVORN_BMP_DOWN1_BMP");
  down->PicPushed()->LoadFromResourceName(GetModuleHandleA(nullptr), "HALVORN_BMP_DOWN2_BMP");
  down->SetParent(form_);
  EXPECT_TRUE(down->PicHiLight()->Empty());
  EXPECT_EQ(Shown(down, 13, 11), RGB(255, 0, 255));
  Send(down, WM_MOUSEMOVE, 5, 5);
  EXPECT_EQ(Shown(down, 13, 11), RGB(255, 0, 255));
  Send(down, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  EXPECT_EQ(Shown(down, 13, 11), RGB(0, 255, 255));  // pushed stands in for pushed-highlight
  Send(down, WM_LBUTTONUP, 5, 5);
}

TEST_F(ButtonTest, ReferenceButtonsShareThePictures) {
  auto* ref = new TTezMMBut(form_);
  auto normal = Solid(20, 16, kBlue);
  ref->SetPicNormal(normal.get());
  EXPECT_EQ(ref->Width(), 20);
  auto* other = new TTezMMBut(form_);
  other->SetParent(form_);
  other->SetReferenceButton(ref);
  EXPECT_EQ(other->PicNormal(), ref->PicNormal());
  EXPECT_EQ(Shown(other, 5, 5), kBlue);
  delete ref;  // the pictures stay with the button that shared them
  EXPECT_EQ(other->ReferenceButton(), nullptr);
  EXPECT_FALSE(other->PicNormal()->Empty());
  auto* third = new TTezMMBut(form_);
  third->SetReferenceButton(other);
  EXPECT_FALSE(third->PicNormal()->Empty());
  third->SetReferenceButton(nullptr);  // back to pictures of its own, empty
  EXPECT_TRUE(third->PicNormal()->Empty());
  EXPECT_FALSE(other->PicNormal()->Empty());
}

TEST_F(ButtonTest, TiledPanelRepeatsItsGlyphInsideTheBevels) {
  auto* panel = new TPanelTile(form_);
  panel->SetParent(form_);
  panel->SetBounds(0, 0, 100, 70);
  panel->SetBevelOuter(bvNone);
  auto glyph = Solid(30, 30, kBlue, kRed);
  panel->SetGlyph(glyph.get());
  for (int x : {0, 30, 60, 90}) EXPECT_EQ(Shown(panel, x, 40), kRed) << x;
  EXPECT_EQ(Shown(panel, 99, 65), kBlue);  // the fourth column, cut at the edge
  panel->SetBevelOuter(bvRaised);
  panel->SetBevelWidth(2);
  panel->SetBorderWidth(1);
  // Offset 1 + 2 x 2 = 5; tiles stop at the inner area.
  EXPECT_EQ(Shown(panel, 5, 40), kRed);
  EXPECT_EQ(Shown(panel, 35, 40), kRed);
  EXPECT_NE(Shown(panel, 97, 40), kBlue);
  EXPECT_NE(Shown(panel, 50, 67), kBlue);

  // Fifteen panels referencing one hold one glyph.
  std::vector<TPanelTile*> panels;
  for (int i = 0; i < 15; ++i) {
    auto* p = new TPanelTile(form_);
    p->SetReferencePanel(panel);
    panels.push_back(p);
  }
  for (TPanelTile* p : panels) EXPECT_EQ(p->Glyph(), panel->Glyph());
  delete panels[3];
  EXPECT_EQ(panel->Glyph()->Width(), 30);
  delete panel;  // the others keep the bitmap and drop the reference
  EXPECT_EQ(panels[0]->ReferencePanel(), nullptr);
  EXPECT_EQ(panels[0]->Glyph()->Width(), 30);
  EXPECT_EQ(panels[0]->Glyph(), panels[14]->Glyph());
}
