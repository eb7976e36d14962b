#include "TezWebLabel.h"

#include <shellapi.h>

#include <cctype>

#include "Application.h"
#include "Forms.h"

TTezWebLabel::TTezWebLabel(TComponent* owner) : TLabel(owner), normalColor_(FontColor()) {}

void TTezWebLabel::Click() {
  // A link that does not open is reported; the label's OnClick still runs.
  if (AutoOpenWeb && !WebLink.empty() && !OpenWebLink())
    Application->HandleException(Exception("Cannot open the link " + WebLink));
  TLabel::Click();
}

void TTezWebLabel::MouseEnter() {
  TLabel::MouseEnter();
  SetFontColor(HIghlightColor);
}

void TTezWebLabel::MouseLeave() {
  TLabel::MouseLeave();
  SetFontColor(normalColor_);
}

bool TTezWebLabel::PlainOpen() {
  HWND main = Application->MainForm() ? Application->MainForm()->Handle() : Application->Handle();
  auto r = reinterpret_cast<INT_PTR>(
      ShellExecuteA(main, nullptr, WebLink.c_str(), "", "", SW_SHOWNOACTIVATE));
  return r > 32;
}

bool TTezWebLabel::OpenWebLink() {
  if (WebLink.empty()) return false;
  if (!FindHtmlApp) return PlainOpen();
  char program[MAX_PATH + 1] = {};
  auto found = reinterpret_cast<INT_PTR>(FindExecutableA(LocalHtmlPage.c_str(), "", program));
  if (found <= 32) return false;
  std::string upper = program;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  if (upper.find("AOL") != std::string::npos) return PlainOpen();
  // The link goes as one quoted parameter; a quote inside it is escaped.
  std::string quoted = "\"";
  for (char c : WebLink) quoted += c == '"' ? std::string("%22") : std::string(1, c);
  quoted += "\"";
  auto r = reinterpret_cast<INT_PTR>(
      ShellExecuteA(GetDesktopWindow(), "open", program, quoted.c_str(), nullptr, SW_SHOWNORMAL));
  return r > 32;
}
