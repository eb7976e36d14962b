// The record as senders fill it and readers take its text, and the
// duplicate filter and order of a server's queue.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "MailSlot.h"

TEST(MailRecord, FillCutsTextAndValuesAndKeepsIdAndCategory) {
  MailMessage mail;
  memset(&mail, 0x5a, sizeof mail);
  mail.id = 77;
  mail.category = TEZ_MAIL_ITEM_PLAYER;
  const std::string text(200, 'x');
  int values[12];
  for (int i = 0; i < 12; ++i) values[i] = 100 + i;
  mail.Fill(TEZ_MSG_STATUS, 12, values, text.c_str());
  EXPECT_EQ(mail.id, 77);
  EXPECT_EQ(mail.category, TEZ_MAIL_ITEM_PLAYER);
  EXPECT_EQ(mail.message, TEZ_MSG_STATUS);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(mail.lParam[i], 100 + i);
  EXPECT_EQ(mail.textLength, 127);
  EXPECT_EQ(std::string(mail.text, 127), text.substr(0, 127));
  EXPECT_EQ(reinterpret_cast<const char*>(&mail)[56 + 127], '\0');

  // One value and no text: the other values and the length are cleared.
  mail.Fill(TEZ_MSG_EVENT, 1, values, nullptr);
  EXPECT_EQ(mail.lParam[0], 100);
  for (int i = 1; i < 10; ++i) EXPECT_EQ(mail.lParam[i], 0);
  EXPECT_EQ(mail.textLength, 0);
  EXPECT_EQ(mail.Text(), "");
}

TEST(MailRecord, TextIsBoundedByLengthFieldAndNul) {
  struct Case {
    int32_t textLength;
    int nulAt;  // -1: no NUL anywhere in the field
    size_t expected;
  } cases[] = {
      {5000, -1, 127}, {128, -1, 127}, {-4, -1, 0}, {3, -1, 3}, {10, 2, 2}, {0, -1, 0},
  };
  for (const Case& c : cases) {
    MailMessage mail;
    memset(mail.text, 'z', sizeof mail.text);
    if (c.nulAt >= 0) mail.text[c.nulAt] = '\0';
    mail.textLength = c.textLength;
    EXPECT_EQ(mail.Text(), std::string(c.expected, 'z')) << "textLength " << c.textLength;
  }
}

static MailMessage WithId(int32_t id) {
  MailMessage mail;
  mail.id = id;
  mail.category = TEZ_MAIL_ITEM_OPERATOR;
  mail.Fill(TEZ_MSG_STATUS, 1, &id, "queued");
  return mail;
}

// Ids put into a fresh queue one by one, each taken at once; the answers of
// GetMail in order.
static std::vector<int> TakeEach(const std::vector<int32_t>& ids) {
  CMailSlot slot;
  std::vector<int> answers;
  for (int32_t id : ids) {
    const MailMessage in = WithId(id);
    slot.PutMail(&in);
    MailMessage out;
    answers.push_back(slot.GetMail(&out));
    EXPECT_EQ(out.id, id);
  }
  return answers;
}

static std::vector<int32_t> Ids(int32_t from, int32_t to) {
  std::vector<int32_t> ids;
  for (int32_t id = from; id <= to; ++id) ids.push_back(id);
  return ids;
}

TEST(MailQueue, RepeatFilterRemembersTheLastTenIds) {
  struct Case {
    const char* what;
    std::vector<int32_t> before;
    int32_t last;
    int answer;
  } cases[] = {
      {"id 0 on a fresh ring", {}, 0, 0},
      {"id 0 after nine others", Ids(1, 9), 0, 0},
      {"id 0 after ten others", Ids(1, 10), 0, 1},
      {"a repeat right after", {5}, 5, 0},
      {"first id after nine others", Ids(1, 10), 1, 0},
      {"first id after ten others", Ids(1, 11), 1, 1},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> ids = c.before;
    ids.push_back(c.last);
    EXPECT_EQ(TakeEach(ids).back(), c.answer) << c.what;
  }
}

TEST(MailQueue, EmptyTakesLeaveTheRingAndRepeatsAreConsumed) {
  CMailSlot slot;
  MailMessage out;
  for (int32_t id = 1; id <= 10; ++id) {
    const MailMessage in = WithId(id);
    slot.PutMail(&in);
    EXPECT_EQ(slot.GetMail(&out), 1);
  }
  for (int i = 0; i < 12; ++i) EXPECT_EQ(slot.GetMail(&out), 0);
  // Still in the ring: the empty takes pushed nothing out.
  const MailMessage first = WithId(1);
  slot.PutMail(&first);
  EXPECT_EQ(slot.GetMail(&out), 0);
  EXPECT_EQ(slot.GetMail(&out), 0);  // the repeat was consumed
}

TEST(MailQueue, KeepsOrderAcrossBlocks) {
  CMailSlot slot;
  MailMessage out;
  int32_t next = 1000;
  // Bursts of different sizes so that blocks fill, empty and refill.
  for (int burst : {25, 3, 10, 11}) {
    for (int i = 0; i < burst; ++i) {
      const MailMessage in = WithId(next + i);
      slot.PutMail(&in);
    }
    for (int i = 0; i < burst; ++i) {
      ASSERT_EQ(slot.GetMail(&out), 1);
      EXPECT_EQ(out.id, next + i);
      EXPECT_EQ(out.lParam[0], next + i);
    }
    EXPECT_EQ(slot.GetMail(&out), 0);
    next += burst;
  }
}
