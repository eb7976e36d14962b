// Browser cookie lookup: Netscape cookie files found through the registry,
// Internet Explorer's store through WinINet, and which cookies a site gets.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <fstream>
#include <string>

#include "CookieLookup.h"

namespace {

const char kNavigator[] = "Software\\Netscape\\Netscape Navigator";

std::string Line(const std::string& domain, const char* all, const char* path,
                 const char* secure, const char* expires, const char* name,
                 const char* value) {
  return domain + "\t" + all + "\t" + path + "\t" + secure + "\t" + expires + "\t" + name +
         "\t" + value + "\n";
}

TEST(CookieLookup, SendsOnlyCookiesOfTheSitesDomainPathAndTime) {
  struct Case {
    const char* site;
    const char* path;
    std::string line;
    bool sent;
  } cases[] = {
      {"http://www.example.org", "/", Line(".example.org", "TRUE", "/", "FALSE", "0", "n", "v"), true},
      {"http://example.org", "/", Line(".example.org", "TRUE", "/", "FALSE", "0", "n", "v"), true},
      {"http://WWW.Example.ORG:8080", "/", Line("www.example.org", "FALSE", "/", "FALSE", "0", "n", "v"), true},
      {"http://a.www.example.org", "/", Line("www.example.org", "FALSE", "/", "FALSE", "0", "n", "v"), false},
      {"http://a.www.example.org", "/", Line("www.example.org", "TRUE", "/", "FALSE", "0", "n", "v"), true},
      {"http://badexample.org", "/", Line(".example.org", "TRUE", "/", "FALSE", "0", "n", "v"), false},
      {"http://example.org.evil.net", "/", Line("example.org", "TRUE", "/", "FALSE", "0", "n", "v"), false},
      {"http://evil.net/?example.org", "/", Line("example.org", "TRUE", "/", "FALSE", "0", "n", "v"), false},
      {"http://example.org", "/news/a.mp3", Line("example.org", "FALSE", "/news", "FALSE", "0", "n", "v"), true},
      {"http://example.org", "/news", Line("example.org", "FALSE", "/news", "FALSE", "0", "n", "v"), true},
      {"http://example.org", "/newsroom", Line("example.org", "FALSE", "/news", "FALSE", "0", "n", "v"), false},
      {"http://example.org", "/other", Line("example.org", "FALSE", "/news/", "FALSE", "0", "n", "v"), false},
      {"http://example.org", "/", Line("example.org", "FALSE", "/", "TRUE", "0", "n", "v"), false},
      {"http://example.org", "/", Line("example.org", "FALSE", "/", "FALSE", "946684800", "n", "v"), false},
      {"http://example.org", "/", Line("example.org", "FALSE", "/", "FALSE", "4102444800", "n", "v"), true},
      {"http://example.org", "/", Line("example.org", "FALSE", "/", "FALSE", "soon", "n", "v"), false},
      {"http://example.org", "/", "example.org\tFALSE\tn\tv\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.site) + " " + c.path + " <- " + c.line);
    CCookieLookup lookup(c.site, c.path);
    std::string out;
    EXPECT_TRUE(lookup.TakeNetscapeCookies(c.line, out));
    EXPECT_EQ(c.sent ? "n=v" : "", out);
  }
}

TEST(CookieLookup, JoinsPairsInFileOrderAndStopsAtALineWithoutTab) {
  CCookieLookup lookup("http://www.example.org");
  std::string text = "# Netscape HTTP Cookie File\r\n\r\n\n" +
                     Line(".example.org", "TRUE", "/", "FALSE", "0", " first ", " 1 ") +
                     Line(".other.org", "TRUE", "/", "FALSE", "0", "skip", "x") +
                     Line("www.example.org", "FALSE", "/", "FALSE", "0", "second", "2") +
                     Line("www.example.org", "FALSE", "/", "FALSE", "0", "unterminated", "3");
  text.pop_back();  // the last line has no LF: not taken
  std::string out;
  EXPECT_TRUE(lookup.TakeNetscapeCookies(text, out));
  EXPECT_EQ("first=1; second=2", out);

  out.clear();
  std::string broken = Line(".example.org", "TRUE", "/", "FALSE", "0", "a", "1") +
                       "no tab here\n" + Line(".example.org", "TRUE", "/", "FALSE", "0", "b", "2");
  EXPECT_FALSE(lookup.TakeNetscapeCookies(broken, out));
  EXPECT_EQ("a=1", out);
}

// Sets registry values for one test and puts everything back afterwards.
class BrowserRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    htmHad_ = Read(HKEY_CLASSES_ROOT, ".htm", nullptr, htm_);
  }
  void TearDown() override {
    if (htmHad_) Write(HKEY_CLASSES_ROOT, ".htm", nullptr, htm_);
    else RegDeleteKeyValueA(HKEY_CLASSES_ROOT, ".htm", nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Netscape");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Netscape");
  }
  static bool Read(HKEY root, const char* key, const char* name, std::string& out) {
    char buf[1025] = {};
    DWORD size = 1024;
    if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
      return false;
    out = buf;
    return true;
  }
  static void Write(HKEY root, const std::string& key, const char* name, const std::string& v) {
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE,
                                             nullptr, &k, nullptr));
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                   static_cast<DWORD>(v.size() + 1));
    RegCloseKey(k);
  }
  static std::string FullPath(const char* name) {
    char buf[MAX_PATH];
    GetFullPathNameA(name, MAX_PATH, buf, nullptr);
    return buf;
  }
  bool htmHad_ = false;
  std::string htm_;
};

TEST_F(BrowserRegistry, NetscapeDefaultIsAskedFirstThroughItsCookieFile) {
  { std::ofstream("ns-cookies.txt", std::ios::binary)
        << Line(".example.org", "TRUE", "/", "FALSE", "0", "ns", "1")
        << Line(".elsewhere.org", "TRUE", "/", "FALSE", "0", "no", "2"); }
  Write(HKEY_CURRENT_USER, std::string(kNavigator) + "\\Cookies", "Cookie File",
        FullPath("ns-cookies.txt"));
  Write(HKEY_CLASSES_ROOT, ".htm", nullptr, "NetScapeMarkup");
  EXPECT_EQ(CCookieLookup::kNetscape, CCookieLookup::GetDefaultBrowser());

  CCookieLookup lookup("http://www.example.org");
  std::string out;
  int used = -1, def = -1;
  EXPECT_EQ(1, lookup.GetCookie(out, 0, &used, &def));
  EXPECT_EQ("ns=1", out);
  EXPECT_EQ(CCookieLookup::kNetscape, used);
  EXPECT_EQ(CCookieLookup::kNetscape, def);
  EXPECT_EQ(0, lookup.GetCookie(out, 3, nullptr, nullptr));

  // A site with no cookie anywhere: kind 0 still answers 1, used kind 0.
  CCookieLookup none("http://nothing.test");
  out = "stale";
  used = -1;
  EXPECT_EQ(1, none.GetCookie(out, 0, &used, nullptr));
  EXPECT_EQ("", out);
  EXPECT_EQ(CCookieLookup::kNone, used);

  Write(HKEY_CLASSES_ROOT, ".htm", nullptr, "htmlfile");
  EXPECT_EQ(CCookieLookup::kExplorer, CCookieLookup::GetDefaultBrowser());
}

TEST_F(BrowserRegistry, InstallationDirectoryIsCutAfterItsLastNetscape) {
  Write(HKEY_LOCAL_MACHINE, kNavigator, "CurrentVersion", "4.7 (en)");
  Write(HKEY_LOCAL_MACHINE, std::string(kNavigator) + "\\4.7 (en)\\Main", "Install Directory",
        "C:\\Program Files\\Netscape\\NETSCAPE\\Program");
  Write(HKEY_CURRENT_USER, std::string(kNavigator) + "\\biff", "CurrentUser", "Pat");
  EXPECT_EQ("c:\\program files\\netscape\\netscape\\Users\\Pat\\Cookies.txt",
            CCookieLookup::FindNetscapeCookieFile());

  // Without "netscape" in the directory the Cookies key is the fall-back.
  Write(HKEY_LOCAL_MACHINE, std::string(kNavigator) + "\\4.7 (en)\\Main", "Install Directory",
        "C:\\Browser");
  Write(HKEY_CURRENT_USER, std::string(kNavigator) + "\\Cookies", "Cookie File", "C:\\c.txt");
  EXPECT_EQ("C:\\c.txt", CCookieLookup::FindNetscapeCookieFile());
}

TEST(CookieLookupExplorer, AsksWinInetForTheSiteAndPathOnly) {
  ASSERT_TRUE(InternetSetCookieA("http://www.example.net/", "ie", "1"));
  ASSERT_TRUE(InternetSetCookieA("http://www.example.net/deep/", "deep", "2"));
  struct Case { const char* site; const char* path; const char* want; } cases[] = {
      {"http://www.example.net", "/", "ie=1"},
      {"http://www.example.net", "/deep/x.mp3", "deep=2; ie=1"},
      {"http://www.other.net", "/", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.site) + c.path);
    CCookieLookup lookup(c.site, c.path);
    std::string out;
    bool ok = lookup.GetCookie(out, CCookieLookup::kExplorer, nullptr, nullptr) == 1;
    EXPECT_EQ(*c.want != '\0', ok);
    if (ok) {
      EXPECT_NE(std::string::npos, out.find("ie=1")) << out;
      EXPECT_EQ(std::string(c.want).find("deep") != std::string::npos,
                out.find("deep=2") != std::string::npos) << out;
    }
  }
}

}  // namespace
