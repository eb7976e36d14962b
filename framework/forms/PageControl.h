// The page control: the common tab control with one tab sheet per tab,
// the sheet of the selected tab shown in the control's display area. A
// click on a tab (or the arrow keys) asks OnChanging first: a refused
// change keeps the page shown and its tab selected; a change fires
// OnChange. Setting the active page in code fires neither.
#pragma once

#include <functional>
#include <vector>

#include "Controls.h"

class TPageControl;

// A page of a page control; its caption is its tab's text.
class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* pageControl);
  // The page's place among its control's pages, or -1.
  int PageIndex() const;

 protected:
  void FillCreateParams(CreateParams& p) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
};

using TTabChangingEvent = std::function<void(TObject* sender, bool& AllowChange)>;

class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int index) const { return pages_.at(static_cast<size_t>(index)); }
  // The first page added is active until another is made so.
  TTabSheet* ActivePage() const { return active_; }
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);
  // Moves to the next (or previous) page, round the end, as the user does:
  // through OnChanging and OnChange.
  void SelectNextPage(bool goForward);
  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  void FillCreateParams(CreateParams& p) override;
  void HandleCreated() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool NotifyReflected(NMHDR& header, LRESULT& result) override;
  void FontChanged() override { LayoutPages(); }
  virtual bool CanChange();
  virtual void Change();

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void InsertTab(int index);
  void UpdateTab(TTabSheet* page);
  void ShowActive();
  void LayoutPages();
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};
