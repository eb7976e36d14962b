#include "PageControl.h"

#include <commctrl.h>

#include <algorithm>

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) { RegisterOwnClass("TTabSheet"); }

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::FillCreateParams(CreateParams& p) {
  p.className = "TTabSheet";
  p.exStyle |= WS_EX_CONTROLPARENT;
}

void TTabSheet::SetPageControl(TPageControl* pageControl) {
  if (pageControl == pageControl_) return;
  if (pageControl_) pageControl_->RemovePage(this);
  pageControl_ = pageControl;
  if (pageControl_)
    pageControl_->InsertPage(this);
  else
    SetParent(nullptr);
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  const auto& pages = pageControl_->pages_;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

LRESULT TTabSheet::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return FillBackground(reinterpret_cast<HDC>(wp));
    case WM_SETTEXT: {
      LRESULT result = TWinControl::WndProc(msg, wp, lp);
      if (pageControl_) pageControl_->UpdateTab(this);
      return result;
    }
    default:
      return TWinControl::WndProc(msg, wp, lp);
  }
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)registered;
}

TPageControl::~TPageControl() {
  for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
  pages_.clear();
  active_ = nullptr;
}

void TPageControl::FillCreateParams(CreateParams& p) {
  p.className = WC_TABCONTROLA;
  p.style |= WS_TABSTOP;
  p.exStyle |= WS_EX_CONTROLPARENT;
}

void TPageControl::HandleCreated() {
  for (int i = 0; i < PageCount(); ++i) InsertTab(i);
  SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
  LayoutPages();
}

void TPageControl::InsertTab(int index) {
  std::string text = Pages(index)->Caption();
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = &text[0];
  SendMessageA(Handle(), TCM_INSERTITEMA, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
}

void TPageControl::UpdateTab(TTabSheet* page) {
  if (!HandleAllocated()) return;
  std::string text = page->Caption();
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = &text[0];
  SendMessageA(Handle(), TCM_SETITEMA, static_cast<WPARAM>(page->PageIndex()),
               reinterpret_cast<LPARAM>(&item));
  LayoutPages();
}

void TPageControl::InsertPage(TTabSheet* page) {
  pages_.push_back(page);
  if (!active_) active_ = page;
  page->SetVisible(page == active_);
  page->SetParent(this);
  if (HandleAllocated()) {
    InsertTab(PageCount() - 1);
    SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
  }
  LayoutPages();
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto at = std::find(pages_.begin(), pages_.end(), page);
  if (at == pages_.end()) return;
  const int index = static_cast<int>(at - pages_.begin());
  pages_.erase(at);
  page->pageControl_ = nullptr;
  if (HandleAllocated()) SendMessageA(Handle(), TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
  if (active_ == page) {
    active_ = pages_.empty() ? nullptr : Pages(std::min(index, PageCount() - 1));
    ShowActive();
  } else if (HandleAllocated()) {
    SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
  }
  LayoutPages();
}

int TPageControl::ActivePageIndex() const {
  auto at = std::find(pages_.begin(), pages_.end(), active_);
  return at == pages_.end() ? -1 : static_cast<int>(at - pages_.begin());
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->pageControl_ != this) return;
  active_ = page;
  ShowActive();
}

void TPageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < PageCount() ? Pages(index) : nullptr);
}

void TPageControl::ShowActive() {
  if (HandleAllocated())
    SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
  // The new page shows before the old one hides, so nothing flashes.
  if (active_) {
    active_->SetVisible(true);
    if (active_->HandleAllocated())
      SetWindowPos(active_->Handle(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  for (TTabSheet* page : pages_)
    if (page != active_) page->SetVisible(false);
}

void TPageControl::LayoutPages() {
  if (!HandleAllocated()) return;
  RECT r;
  GetClientRect(Handle(), &r);
  SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  for (TTabSheet* page : pages_) page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

bool TPageControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TPageControl::Change() {
  if (OnChange) OnChange(this);
}

void TPageControl::SelectNextPage(bool goForward) {
  if (PageCount() < 2 || !CanChange()) return;
  int index = ActivePageIndex();
  index = index < 0 ? 0 : (index + (goForward ? 1 : PageCount() - 1)) % PageCount();
  SetActivePageIndex(index);
  Change();
}

bool TPageControl::NotifyReflected(NMHDR& header, LRESULT& result) {
  switch (header.code) {
    case TCN_SELCHANGING:
      result = CanChange() ? FALSE : TRUE;
      return true;
    case TCN_SELCHANGE: {
      int index = static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
      active_ = index >= 0 && index < PageCount() ? Pages(index) : nullptr;
      ShowActive();
      Change();
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

LRESULT TPageControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = TWinControl::WndProc(msg, wp, lp);
  if (msg == WM_SIZE) LayoutPages();
  return result;
}
