// The one mail record that every mailslot and mail queue of the system
// carries: 184 bytes, little-endian, no padding.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct MailMessage {
  int32_t id;          // sender's stamp, used only to drop repeats
  int32_t category;    // sender kind (TEZ_MAIL_*)
  int32_t message;     // code within the category
  int32_t lParam[10];
  int32_t textLength;  // 0..127
  char text[128];      // NUL at textLength

  void Clear(bool withCategory) {
    message = 0;
    for (int32_t& v : lParam) v = 0;
    textLength = 0;
    if (withCategory) category = 0;
  }
};
#pragma pack(pop)

static_assert(sizeof(MailMessage) == 184, "mail record is 184 bytes");
static_assert(offsetof(MailMessage, category) == 4, "mail layout");
static_assert(offsetof(MailMessage, message) == 8, "mail layout");
static_assert(offsetof(MailMessage, lParam) == 12, "mail layout");
static_assert(offsetof(MailMessage, textLength) == 52, "mail layout");
static_assert(offsetof(MailMessage, text) == 56, "mail layout");

constexpr int kMailRecordSize = 184;
constexpr int kMailTextMax = 127;

// Sender categories.
enum : int32_t {
  TEZ_MAIL_RECORDER = 0,
  TEZ_MAIL_TO_CONTROLLER = 1,
  TEZ_MAIL_INTERNAL = 5769,
  TEZ_MAIL_MEDIA = 5869,
  TEZ_MAIL_DIALER = 5969,
  TEZ_MAIL_CHANNEL_OPERATOR = 6069,
  TEZ_MAIL_ITEM_OPERATOR = 6169,
  TEZ_MAIL_ITEM_PLAYER = 6269,
  TEZ_MAIL_CONTROLLER = 6369,
};

// Message codes of the categories above 1.
enum : int32_t {
  TEZ_MSG_EVENT = 0,
  TEZ_MSG_STATUS = 1,
  TEZ_MSG_ERROR = 2,
  TEZ_MSG_TEST = 3,          // category TEZ_MAIL_INTERNAL
  TEZ_MSG_USER_COMMAND = 3,  // category TEZ_MAIL_DIALER
};

// Event values in lParam[0] of TEZ_MSG_EVENT.
enum : int32_t {
  TEZ_EVENT_START = 10,
  TEZ_EVENT_STOP = 11,
  TEZ_EVENT_READY = 12,
  TEZ_EVENT_RESUME = 13,
};
