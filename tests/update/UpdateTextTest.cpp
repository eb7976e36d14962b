// The texts of the update check: reply keys, request addresses and the
// version rule of the update list.
#include <gtest/gtest.h>

#include "UpdateText.h"

TEST(UpdateText, VersionRule) {
  struct Case {
    const char* installed;
    const char* compare;
    bool runs;
  } cases[] = {
      {"1,2,5", "1.2", true},     // commas count as dots; a shorter compare is met
      {"1.2", "1.2.3", false},    // the missing third number counts as 0
      {"2.0", "1.9", true},
      {"1.9", "2.0", false},
      {"1.10", "1.9", true},      // numbers, not text
      {"1.2", "1.2", true},
      {"1.2", "", true},          // nothing to compare with
      {"x.5", "0.4", true},       // not a number counts as 0
      {"3", "3.0.0", true},
      {"3", "3.0.1", false},
      {"99999999999999999999", "1", true},  // too large to hold still compares
  };
  for (const Case& c : cases)
    EXPECT_EQ(VersionAtLeast(c.installed, c.compare), c.runs) << c.installed << " vs " << c.compare;
}

TEST(UpdateText, CheckReply) {
  struct Case {
    const char* reply;
    bool ok;
    bool offered;
  } cases[] = {
      {"RESULT=OK<BR>UPGRADE=NONE<BR>", true, false},
      {"RESULT=OK<BR>", true, false},
      {"RESULT=OK<BR>UPGRADE=2.5.1<BR>", true, true},
      {"RESULT=OK<BR>UPGRADE", true, true},  // too short to say NONE
      {"RESULT=FAILED<BR>UPGRADE=2.5<BR>", false, true},
      {"", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UpdateReplyOk(c.reply), c.ok) << c.reply;
    EXPECT_EQ(UpgradeOffered(c.reply), c.offered) << c.reply;
  }
  EXPECT_TRUE(PrepareSucceeded("RESULT=OK<BR>SUCCESS<BR>"));
  EXPECT_FALSE(PrepareSucceeded("RESULT=OK<BR>"));
}

TEST(UpdateText, OfferLines) {
  std::vector<std::string> expected = {"Name: Brindale", "Upgrade to 2.5 version",
                                       "File size: 2KB", "Description: "};
  // DESCRIPTION has no "<BR>" after it: it shows empty.
  EXPECT_EQ(UpgradeInfoLines("RESULT=OK<BR>NAME=Brindale<BR>UPGRADE=2.5<BR>SIZE=2100<BR>"
                             "DESCRIPTION=cut off"),
            expected);
  // A size below 1024 and one that is not a number both show 0.
  EXPECT_EQ(UpgradeInfoLines("SIZE=1023<BR>")[2], "File size: 0KB");
  EXPECT_EQ(UpgradeInfoLines("SIZE=12ab<BR>")[2], "File size: 0KB");
  EXPECT_EQ(UpgradeInfoLines("SIZE=99999999999999999999999<BR>")[2], "File size: 0KB");
  EXPECT_EQ(GetUpdateVal("NAME", "NAME"), "");
  EXPECT_EQ(GetUpdateVal("NAME=<BR>", "NAME"), "");
}

TEST(UpdateText, RequestAddress) {
  // Values are escaped; the address is no format: other "%" stay as they are.
  EXPECT_EQ(FillUpdateUrl("h/u?Check&SN=%s&Ver=%s", {"A B&C=%s/\xC3\xA9", "2.4 beta"}),
            "h/u?Check&SN=A%20B%26C%3D%25s%2F%C3%A9&Ver=2.4%20beta");
  EXPECT_EQ(FillUpdateUrl("h/u?x=%d%n%%&SN=%s&y=%s&z=%s", {"1"}), "h/u?x=%d%n%&SN=1&y=&z=");
  EXPECT_EQ(FillUpdateUrl("h/u%", {"1"}), "h/u%");
}
