// The main window's drop target: what it takes from file lists, links,
// text and internet shortcuts, dragged onto a real window by the system's
// drag-and-drop loop, and the parsing of the dropped blocks.
#include <gtest/gtest.h>

#include "../forms/Pump.h"
#include "Application.h"
#include "DragSource.h"
#include "Forms.h"
#include "TezDropFileTarget.h"

namespace {

class TargetForm : public TForm {
 public:
  explicit TargetForm(TComponent* owner) : TForm(owner, "LinksDropTestForm") { FormCreated(); }
};

struct Dropped {
  int drops = 0, kind = 0;
  TDragType type = dtCopy;
  std::vector<std::string> files;
  std::string link;
};

class DropOnWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TargetForm>(nullptr);
    form_->SetName("TargetForm");
    form_->SetBounds(100, 100, 200, 150);
    form_->Show();
    target_ = std::make_unique<TTezDropFileTarget>(nullptr);
    target_->GetDataOnEnter = false;
    target_->OnDrop = [this](TObject*, TDragType type, POINTL) {
      ++got_.drops;
      got_.kind = target_->DropKind;
      got_.type = type;
      for (int i = 0; i < target_->Files.Count(); ++i) got_.files.push_back(target_->Files.Strings(i));
      got_.link = target_->Link;
    };
    target_->Register(form_.get());
    PumpUntil([] { return false; }, 200);
  }
  void TearDown() override {
    target_.reset();
    form_.reset();
  }
  DWORD Drag(TestDataObject& data) {
    got_ = Dropped();
    DWORD effect = DragTo(&data, POINT{200, 170});
    PumpUntil([] { return false; }, 50);
    return effect;
  }
  std::unique_ptr<TargetForm> form_;
  std::unique_ptr<TTezDropFileTarget> target_;
  Dropped got_;
};

UINT Cf(const char* name) { return RegisterClipboardFormatA(name); }

}  // namespace

TEST(DropData, FileBlocksAreReadWithinTheirSize) {
  struct Case {
    std::string block;
    std::vector<std::string> names;
  } cases[] = {
      {DropFilesBlock({"c:\\a.mp3", "c:\\b c.html"}, false), {"c:\\a.mp3", "c:\\b c.html"}},
      {DropFilesBlock({"c:\\wide.mp3"}, true), {"c:\\wide.mp3"}},
      {DropFilesBlock({}, false), {}},
      // Cut short: a name without its terminator is not taken.
      {DropFilesBlock({"c:\\a.mp3", "c:\\long.mp3"}, false).substr(0, 20 + 10 + 5), {"c:\\a.mp3"}},
      {DropFilesBlock({"c:\\w.mp3"}, true).substr(0, 27), {}},
      {std::string("\xff\xff\x00\x00", 4) + std::string(16, '\0'), {}},  // offset past the end
      {std::string(8, '\0'), {}},                                        // no header
  };
  for (const Case& c : cases) {
    TStringList names;
    ParseDropFiles(c.block.data(), c.block.size(), names);
    ASSERT_EQ(names.Count(), static_cast<int>(c.names.size())) << c.block.size();
    for (size_t i = 0; i < c.names.size(); ++i) EXPECT_EQ(names.Strings(static_cast<int>(i)), c.names[i]);
  }
}

TEST(DropData, ShortcutTextYieldsItsLink) {
  std::string longUrl = "http://h/" + std::string(300, 'a');
  struct Case {
    std::string text, link;
  } cases[] = {
      {"[InternetShortcut]\r\nURL=http://h/a.mp3\r\n", "http://h/a.mp3"},
      {"[InternetShortcut]\nURL=http://h/b.mp3\n", "http://h/b.mp3"},
      {"[InternetShortcut]\r\nIconIndex=1\r\nURL=http://h/c.html", "http://h/c.html"},
      {"[InternetShortcut]\r\nURL=" + longUrl, longUrl.substr(0, 250)},
      {"[Other]\r\nURL=http://h/d", ""},
      {"[InternetShortcut]\r\n[Other]\r\nURL=http://h/e", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ShortcutLink(c.text), c.link) << c.text;
}

TEST_F(DropOnWindow, FilesLinksTextAndShortcutsAreTaken) {
  TestDataObject files;
  files.Add(CF_HDROP, DropFilesBlock({"c:\\x\\one.mp3", "c:\\x\\two.html"}, true));
  files.Add(CF_TEXT, std::string("ignored") + '\0');
  EXPECT_EQ(Drag(files), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(got_.drops, 1);
  EXPECT_EQ(got_.kind, 1);
  EXPECT_EQ(got_.files, (std::vector<std::string>{"c:\\x\\one.mp3", "c:\\x\\two.html"}));

  TestDataObject url;
  url.Add(Cf("UniformResourceLocator"), std::string("http://h/page.html") + '\0' + "junk");
  url.Add(CF_TEXT, std::string("text wins not") + '\0');
  EXPECT_EQ(Drag(url), static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_EQ(got_.kind, 2);
  EXPECT_EQ(got_.type, dtLink);
  EXPECT_EQ(got_.link, "http://h/page.html");

  // Text without a terminator is read within its block.
  TestDataObject text;
  text.Add(CF_TEXT, "any words at all");
  EXPECT_EQ(Drag(text), static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_EQ(got_.link, "any words at all");

  TestDataObject shortcut;
  shortcut.Add(Cf("FileGroupDescriptor"), std::string(4, '\0'));
  shortcut.Add(Cf("FileContents"), "[InternetShortcut]\r\nURL=http://h/short.mp3\r\n");
  EXPECT_EQ(Drag(shortcut), static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_EQ(got_.link, "http://h/short.mp3");

  // A file drag after a link drag gets the window's own drag types back.
  EXPECT_EQ(Drag(files), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(got_.kind, 1);
}

TEST_F(DropOnWindow, UnusableOrFailingDataIsNoDrop) {
  TestDataObject bitmap;
  bitmap.Add(CF_BITMAP, "xx");
  EXPECT_EQ(Drag(bitmap), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(got_.drops, 0);

  TestDataObject failing;
  failing.Add(Cf("UniformResourceLocator"), "", true);
  failing.Add(CF_TEXT, "", true);
  EXPECT_EQ(Drag(failing), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(got_.drops, 0);

  TestDataObject noNames;
  noNames.Add(CF_HDROP, DropFilesBlock({}, false));
  Drag(noNames);
  EXPECT_EQ(got_.drops, 0);
}
