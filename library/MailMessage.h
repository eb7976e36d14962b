// The one mail record that every mailslot and mail queue of the system
// carries: 184 bytes, little-endian, no padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

constexpr int kMailRecordSize = 184;
constexpr int kMailTextMax = 127;
constexpr int kMailValueCount = 10;

#pragma pack(push, 1)
struct MailMessage {
  int32_t id;          // sender's stamp, used only to drop repeats
  int32_t category;    // sender kind (TEZ_MAIL_*)
  int32_t message;     // code within the category
  int32_t lParam[kMailValueCount];
  int32_t textLength;  // 0..127
  char text[kMailTextMax + 1];  // NUL at textLength

  void Clear(bool withCategory) {
    message = 0;
    for (int32_t& v : lParam) v = 0;
    textLength = 0;
    if (withCategory) category = 0;
  }

  // The record as every sender fills it: cleared but for its category, the
  // code, the first min(count, 10) values, and the text (when given) cut to
  // 127 characters with a NUL after it.
  void Fill(int32_t code, int count, const int32_t* values, const char* newText) {
    Clear(false);
    message = code;
    const int n = count < 0 ? 0 : (count > kMailValueCount ? kMailValueCount : count);
    for (int i = 0; values && i < n; ++i) lParam[i] = values[i];
    if (newText) {
      const size_t length = strnlen(newText, kMailTextMax);
      memcpy(text, newText, length);
      text[length] = '\0';
      textLength = static_cast<int32_t>(length);
    }
  }

  // The text as a reader may take it: at most textLength characters (0 to
  // 127), and no further than a NUL inside them.
  std::string Text() const {
    const size_t limit =
        textLength < 0 ? 0 : (textLength > kMailTextMax ? kMailTextMax : size_t(textLength));
    const void* nul = memchr(text, 0, limit);
    return std::string(text, nul ? static_cast<const char*>(nul) - text : limit);
  }
};
#pragma pack(pop)

static_assert(sizeof(MailMessage) == 184, "mail record is 184 bytes");
static_assert(offsetof(MailMessage, category) == 4, "mail layout");
static_assert(offsetof(MailMessage, message) == 8, "mail layout");
static_assert(offsetof(MailMessage, lParam) == 12, "mail layout");
static_assert(offsetof(MailMessage, textLength) == 52, "mail layout");
static_assert(offsetof(MailMessage, text) == 56, "mail layout");

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
