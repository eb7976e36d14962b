// The full window's tool bar and the pages of its notebook.
#include "MainForm.h"
#include "OptionsPages.h"

namespace {
template <typename T>
T* Put(TForm* form, TWinControl* parent, const char* name, int l, int t, int w, int h) {
  T* c = new T(form);
  c->SetName(name);
  c->SetBounds(l, t, w, h);
  c->SetParent(parent);
  return c;
}

TPanel* Page(TForm* form, TWinControl* parent, const char* name) {
  TPanel* page = Put<TPanel>(form, parent, name, 0, 0, parent->Width(), parent->Height());
  page->SetBevelOuter(bvNone);
  page->SetVisible(false);
  return page;
}
}  // namespace

void TForm1::BuildFullView() {
  // Tool bar: views on the left, run commands in the middle, links right.
  // The run commands stand in a column: record below, play 37 pixels above
  // it (laid out by EnableRecordControls), each stop in its start's place.
  int x = 8;
  auto tool = [&](const char* name, int gap = 0, int top = 24, bool next = true) {
    x += gap;
    auto* b = Put<TTezMMBut>(this, pnlMenu, name, x, top, 26, 22);
    if (next) x += 30;
    return b;
  };
  speedView = tool("speedView");
  speedPlayer = tool("speedPlayer");
  speedOptions = tool("speedOptions");
  speedRecordNow = tool("speedRecordNow", 16, 44, false);
  speedPlayNow = tool("speedPlayNow", 0, 7, false);
  speedRecordStop = tool("speedRecordStop", 0, 44, false);
  speedPlayStop = tool("speedPlayStop", 0, 7);
  speedWeb = tool("speedWeb", 16);
  speedHelp = tool("speedHelp");
  speedSendRemark = tool("speedSendRemark");
  for (TTezMMBut* b : {speedView, speedPlayer, speedOptions}) {
    b->SetGroupIndex(1);
    b->SetAllowAllUp(false);
  }
  // Each run button in a group of its own, so that it can be shown down
  // while its run works.
  int group = 4;
  for (TTezMMBut* b : {speedRecordNow, speedPlayNow, speedRecordStop, speedPlayStop}) {
    b->SetGroupIndex(group++);
    b->SetAllowAllUp(true);
  }
  // The run's animations, right of the buttons.
  x += 16;
  const struct {
    TGIFAnimator** animator;
    const char* name;
  } animators[] = {{&gifanimRecord, "gifanimRecord"},
                   {&gifanimPlay, "gifanimPlay"},
                   {&gifAnimDownload, "gifAnimDownload"},
                   {&gifanimConnect, "gifanimConnect"}};
  for (const auto& a : animators) {
    TGIFAnimator* animator = new TGIFAnimator(this);
    animator->SetName(a.name);
    animator->SetBounds(x, 23, 24, 24);
    animator->SetParent(pnlMenu);
    *a.animator = animator;
    x += 28;
  }
  speedHelp->OnClick = [this](TObject*) { OpenHelp(); };
  speedView->OnClick = [this](TObject*) { speedViewClick(); };
  speedWeb->OnClick = [this](TObject*) { speedWebClick(); };
  speedSendRemark->OnClick = [this](TObject*) { speedSendRemarkClick(); };

  ViewChannels = Page(this, pnlViewContents, "ViewChannels");
  ViewCustomize = Page(this, pnlViewContents, "ViewCustomize");
  ViewPlayer = Page(this, pnlViewContents, "ViewPlayer");
  ViewOptions = Page(this, pnlViewContents, "ViewOptions");
  const int h = pnlViewContents->Height(), w = pnlViewContents->Width();

  // Channels: the channel buttons on the left, the items on the right.
  pnlChannels = Put<TPanelTile>(this, ViewChannels, "pnlChannels", 0, 0, 86, h);
  btnPanel = Put<TPanelTile>(this, ViewChannels, "btnPanel", 86, 0, w - 86, h);
  speedDeleted = Put<TTezMMBut>(this, pnlChannels, "speedDeleted", 4, h - 30, 26, 22);
  speedPending = Put<TTezMMBut>(this, pnlChannels, "speedPending", 30, h - 30, 26, 22);
  speedRejected = Put<TTezMMBut>(this, pnlChannels, "speedRejected", 56, h - 30, 26, 22);
  speedCustomize = Put<TTezMMBut>(this, pnlChannels, "speedCustomize", 30, h - 58, 26, 22);

  // Customize: active and inactive channels and the moves between them.
  pnlActiveChanels = Put<TPanelTile>(this, ViewCustomize, "pnlActiveChanels", 0, 0, 86, h);
  pnlTileCustomize = Put<TPanelTile>(this, ViewCustomize, "pnlTileCustomize", 86, 0, 40, h);
  pnlInactiveChannels = Put<TPanelTile>(this, ViewCustomize, "pnlInactiveChannels", 126, 0, 86, h);
  pnlCustomize = Put<TPanelTile>(this, ViewCustomize, "pnlCustomize", 212, 0, w - 212, h);
  speedAddChannel = Put<TTezMMBut>(this, pnlTileCustomize, "speedAddChannel", 7, 40, 26, 22);
  speedRemoveChannel =
      Put<TTezMMBut>(this, pnlTileCustomize, "speedRemoveChannel", 7, 70, 26, 22);
  imageAddToActive = Put<TImage>(this, pnlTileCustomize, "imageAddToActive", 7, 110, 26, 22);
  imageRemoveFromActive =
      Put<TImage>(this, pnlTileCustomize, "imageRemoveFromActive", 7, 140, 26, 22);
  speedCustMoveUp = Put<TTezMMBut>(this, pnlCustomize, "speedCustMoveUp", 8, 8, 26, 22);
  speedCustMoveDown = Put<TTezMMBut>(this, pnlCustomize, "speedCustMoveDown", 38, 8, 26, 22);
  speedCustOk = Put<TTezMMBut>(this, pnlCustomize, "speedCustOk", 68, 8, 26, 22);
  speedCustDown = Put<TTezMMBut>(this, pnlActiveChanels, "speedCustDown", 30, h - 58, 26, 22);

  // Player and options: the channels on the left, their own panel right.
  pnlPlayerChannels = Put<TPanelTile>(this, ViewPlayer, "pnlPlayerChannels", 0, 0, 86, h);
  pnlViewPlayer = Put<TPanelTile>(this, ViewPlayer, "pnlViewPlayer", 86, 0, w - 86, h);
  speedPlayerCustomize =
      Put<TTezMMBut>(this, pnlPlayerChannels, "speedPlayerCustomize", 30, h - 58, 26, 22);
  pnlOptionsChannels = Put<TPanelTile>(this, ViewOptions, "pnlOptionsChannels", 0, 0, 86, h);
  pnlOptions = Put<TPanelTile>(this, ViewOptions, "pnlOptions", 86, 0, w - 86, h);
  speedOptionsCustomize =
      Put<TTezMMBut>(this, pnlOptionsChannels, "speedOptionsCustomize", 30, h - 58, 26, 22);
}

void TForm1::speedViewClick() {
  if (busy) return;
  if (optionsPages) optionsPages->ClosePlayerPage();
  ChangeToViewChannels();
}

void TForm1::speedWebClick() {
  if (busy) return;
  SendMessageA(Handle(), WM_TEZ_CHANGE_VIEW, 1, 1);
  lblWebLink->FindHtmlApp = true;  // a new browser window
  lblWebLink->LocalHtmlPage = "BrindaleSite.html";
  lblWebLink->WebLink = options.homePage;
  lblWebLink->OpenWebLink();
}

namespace {
// The link with its first two "%s" replaced by the texts; nothing else of
// a format that comes from the settings is interpreted.
std::string FillLink(const std::string& format, const std::string& a, const std::string& b) {
  std::string out;
  int used = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (used < 2 && format.compare(i, 2, "%s") == 0) {
      out += used++ == 0 ? a : b;
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}
}  // namespace

void TForm1::speedSendRemarkClick() {
  // The installation is known by the identifier the link check uses.
  std::string id = paramIni ? paramIni->ReadString("DragDrop", "tezID", "") : std::string();
  std::string link = FillLink(options.remarksUrl, id, ProductVersion());
  lblWebLink->LocalHtmlPage = "BrindaleSite.html";
  lblWebLink->FindHtmlApp = LowerCase(options.remarksUrl).find("mailto") == std::string::npos;
  lblWebLink->WebLink = link;
  lblWebLink->OpenWebLink();
  lblWebLink->FindHtmlApp = true;
  PostMessageA(Handle(), WM_TEZ_CHANGE_VIEW, 1, 0);
}

void TForm1::ShowPage(TPanel* page) {
  for (TPanel* p : {ViewChannels, ViewCustomize, ViewPlayer, ViewOptions})
    p->SetVisible(p == page);
}

TPanel* TForm1::ShownPage() const {
  for (TPanel* p : {ViewChannels, ViewCustomize, ViewPlayer, ViewOptions})
    if (p->Visible()) return p;
  return nullptr;
}
