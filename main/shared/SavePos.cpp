#include "SavePos.h"

#include <mmsystem.h>

#include <cstdlib>

#include "Forms.h"
#include "IniFiles2.h"

TForm* TSavePos::Form() const { return dynamic_cast<TForm*>(Owner()); }

void TSavePos::Save(const std::string& file) {
  TForm* form = Form();
  if (!form || file.empty()) return;
  TIniFile ini(file);
  if (SaveOptions & SaveTop) ini.WriteInteger(SectionName, TopKey, form->Top());
  if (SaveOptions & SaveLeft) ini.WriteInteger(SectionName, LeftKey, form->Left());
  if (SaveOptions & SaveHeight) ini.WriteInteger(SectionName, HeightKey, form->Height());
  if (SaveOptions & SaveWidth) ini.WriteInteger(SectionName, WidthKey, form->Width());
}

void TSavePos::Restore(const std::string& file, bool slide, int extra) {
  TForm* form = Form();
  if (!form || file.empty()) return;
  RECT r = form->BoundsRect();
  int storedHeight = form->Height(), storedWidth = form->Width();
  {
    TIniFile ini(file);
    if (RestoreOptions & RestoreTop) r.top = ini.ReadInteger(SectionName, TopKey, form->Top());
    if (RestoreOptions & RestoreLeft) r.left = ini.ReadInteger(SectionName, LeftKey, form->Left());
    if (RestoreOptions & RestoreHeight) {
      storedHeight = ini.ReadInteger(SectionName, HeightKey, form->Height());
      r.bottom = storedHeight + r.top;
    }
    if (RestoreOptions & RestoreWidth) {
      storedWidth = ini.ReadInteger(SectionName, WidthKey, form->Width());
      r.right = storedWidth + r.left;
    }
  }
  if (LimitToScreen) {
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    if (RestoreOptions & RestoreTop) {
      if (r.top < 0) r.top = 0;
      if (sh < r.bottom + extra) r.top = sh - (r.bottom + extra - r.top) - 5;
      if (RestoreOptions & RestoreHeight) r.bottom = storedHeight + r.top + extra;
    }
    if (RestoreOptions & RestoreLeft) {
      if (r.left < 0) r.left = 0;
      if (sw < r.right) r.left = sw - (r.right - r.left) - 5;
      if (RestoreOptions & RestoreWidth) r.right = storedWidth + r.left;
    }
  }
  if (slide)
    Slide(form, r);
  else
    SetFormRect(form, r);
}

void TSavePos::MoveForm(const RECT& rect, bool slide, int extra) {
  TForm* form = Form();
  if (!form) return;
  RECT r = rect;
  if (LimitToScreen) {
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (r.top < 0) r.top = 0;
    if (sh < r.bottom + extra) r.top = sh - height - extra - 5;
    if (r.left < 0) r.left = 0;
    if (sw < r.right) r.left = sw - width - 5;
    r.right = r.left + width;
    r.bottom = r.top + height + extra;
  }
  if (slide)
    Slide(form, r);
  else
    SetFormRect(form, r);
}

void TSavePos::SetFormRect(TForm* form, const RECT& r) {
  form->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

RECT TSavePos::NextEdgeSquare() {
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  int side;
  do side = std::rand() % 4 + 1;
  while (side == lastSide_);
  lastSide_ = side;
  auto randomIn = [](int range) { return range > 0 ? std::rand() % range : 0; };
  int left = 0, top = 0;
  switch (side) {
    case 1: left = randomIn(sw - 50); break;
    case 2: left = randomIn(sw - 50); top = sh - 50; break;
    case 3: left = sw - 50; top = randomIn(sh - 50); break;
    default: top = randomIn(sh - 50); break;
  }
  return RECT{left, top, left + 50, top + 50};
}

void TSavePos::Slide(TForm* form, const RECT& target) {
  if (LoseFocusOnSlide) SetFocus(GetDesktopWindow());
  if (NumJumps > 0) {
    if (ChangeSideBeforeSlide) form->SetBounds(form->Left(), form->Top(), 50, 50);
    for (int i = 0; i < NumJumps; ++i) {
      Glide(form, NextEdgeSquare());
      if (SoundEffects && !SlideSound.empty() && FileExists(SlideSound))
        PlaySoundA(SlideSound.c_str(), nullptr, 0x22003);
    }
  }
  if (ChangeSideBeforeSlide) {
    Glide(form, RECT{target.left, target.top, target.left + 50, target.top + 50});
    SetFormRect(form, target);
  } else {
    Glide(form, target);
  }
}

void TSavePos::Glide(TForm* form, const RECT& target) {
  if (NumIterations > 0) {
    RECT cur = form->BoundsRect();
    LONG dl = (target.left - cur.left) / NumIterations, dt = (target.top - cur.top) / NumIterations;
    LONG dr = (target.right - cur.right) / NumIterations;
    LONG db = (target.bottom - cur.bottom) / NumIterations;
    for (int i = 0; i < NumIterations; ++i) {
      cur.left += dl;
      cur.top += dt;
      cur.right += dr;
      cur.bottom += db;
      SetFormRect(form, cur);
      Sleep(static_cast<DWORD>(IterationDelay > 0 ? IterationDelay : 0));
    }
  }
  SetFormRect(form, target);
}
