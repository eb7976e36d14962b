// The web-link label on a real window: a click opens the link through the
// program registered for the local page (a recording stand-in registered in
// the Wine prefix), the colour follows the mouse, and failures are reported.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "../forms/Pump.h"
#include "Application.h"
#include "Forms.h"
#include "TezWebLabel.h"

namespace {

const char kPageExt[] = ".brindalepage";
const char kLinkExt[] = ".brindalelink";

std::string Folder() {
  char dir[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof dir, dir);
  return dir;
}

std::string PeerPath() {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string s = exe;
  return s.substr(0, s.find_last_of('\\') + 1) + "weblabel_peer.exe";
}

// Registers program as the opener of files with the extension.
void Register(const std::string& ext, const std::string& program) {
  std::string type = "Brindale" + ext.substr(1);
  RegSetValueA(HKEY_CLASSES_ROOT, ext.c_str(), REG_SZ, type.c_str(), 0);
  std::string cmd = "\"" + program + "\" %1";
  RegSetValueA(HKEY_CLASSES_ROOT, (type + "\\shell\\open\\command").c_str(), REG_SZ, cmd.c_str(), 0);
}

void Unregister(const std::string& ext) {
  std::string type = "Brindale" + ext.substr(1);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, type.c_str());
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ext.c_str());
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

class WebLabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Initialize();
    log_ = Folder() + "\\opened.log";
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("BRINDALE_WEBLABEL_LOG", log_.c_str());
    std::ofstream(Folder() + "\\Home" + kPageExt) << "<html></html>";
    form_ = new TForm(Application);
    form_->SetBounds(50, 50, 300, 120);
    label_ = new TTezWebLabel(form_);
    label_->SetParent(form_);
    label_->SetBounds(10, 10, 150, 20);
    label_->SetCaption("Visit us");
    label_->LocalHtmlPage = std::string("Home") + kPageExt;
    label_->OnClick = [this](TObject*) { ++clicks_; };
    Application->OnException = [this](TObject*, const Exception& e) { reports_ += e.Message(); };
    form_->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    Application->OnException = nullptr;
    delete form_;
    Unregister(kPageExt);
    Unregister(kLinkExt);
  }
  void ClickLabel() {
    HWND h = label_->Handle();
    PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    int before = clicks_;
    PumpUntil([&] { return clicks_ > before; }, 3000);
  }
  bool WaitForLog(const std::string& text) {
    return PumpUntil([&] { return ReadAll(log_).find(text) != std::string::npos; }, 5000);
  }
  std::string log_;
  TForm* form_ = nullptr;
  TTezWebLabel* label_ = nullptr;
  int clicks_ = 0;
  std::string reports_;
};

}  // namespace

TEST_F(WebLabelTest, ClickOpensLinkQuotedThroughRegisteredProgram) {
  Register(kPageExt, PeerPath());
  label_->WebLink = "http://127.0.0.1/a page?x=1&y=2";
  ClickLabel();
  EXPECT_EQ(clicks_, 1);
  ASSERT_TRUE(WaitForLog("a page"));
  EXPECT_NE(ReadAll(log_).find("\"http://127.0.0.1/a page?x=1&y=2\""), std::string::npos)
      << ReadAll(log_);
  EXPECT_EQ(reports_, "");
}

TEST_F(WebLabelTest, ProgramUnderAolPathOpensWithDefaultVerb) {
  // The link itself is a file whose type opens the stand-in, so the plain
  // open can be seen; the registered browser lives under a path with "aOl".
  std::string dir = Folder() + "\\Programs aOl";
  CreateDirectoryA(dir.c_str(), nullptr);
  CopyFileA(PeerPath().c_str(), (dir + "\\browser.exe").c_str(), FALSE);
  Register(kPageExt, dir + "\\browser.exe");
  Register(kLinkExt, PeerPath());
  std::string link = Folder() + "\\target" + kLinkExt;
  std::ofstream(link) << "x";
  label_->WebLink = link;
  ClickLabel();
  ASSERT_TRUE(WaitForLog("target"));
  std::string seen = ReadAll(log_);
  EXPECT_NE(seen.find("weblabel_peer.exe"), std::string::npos) << seen;
  EXPECT_EQ(seen.find("browser.exe"), std::string::npos) << seen;
}

TEST_F(WebLabelTest, EmptyLinkOnlyClicksAndFailureIsReported) {
  label_->WebLink = "";
  ClickLabel();
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(reports_, "");
  EXPECT_FALSE(label_->OpenWebLink());
  // Nothing registered for the local page: reported, and OnClick still runs.
  label_->WebLink = "http://127.0.0.1/";
  ClickLabel();
  EXPECT_EQ(clicks_, 2);
  EXPECT_NE(reports_.find("http://127.0.0.1/"), std::string::npos);
  EXPECT_EQ(ReadAll(log_), "");
}

TEST_F(WebLabelTest, ColourFollowsTheMouse) {
  TColor normal = label_->FontColor();
  label_->HIghlightColor = clRed;
  SendMessageA(label_->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(label_->FontColor(), clRed);
  SendMessageA(label_->Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(label_->FontColor(), normal);
  // Painted: the label shows its caption in the highlight colour.
  SendMessageA(label_->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  UpdateWindow(label_->Handle());
  Application->ProcessMessages();
  HDC dc = GetDC(label_->Handle());
  int red = 0;
  for (int x = 0; x < 150; ++x)
    for (int y = 0; y < 20; ++y) red += GetPixel(dc, x, y) == RGB(255, 0, 0);
  ReleaseDC(label_->Handle(), dc);
  EXPECT_GT(red, 10);
}
