// The entries of TezIniManager.dll.
#include "TezIniManager.h"

#include <cstring>
#include <string>
#include <vector>

#include "IniFile.h"
#include "MailQueue.h"

namespace {

// Copies text, cut to fit, NUL terminated; returns the characters placed.
int PutText(const std::string& text, char* buffer, int size) {
  int n = static_cast<int>(text.size());
  if (n > size - 1) n = size - 1;
  memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return n;
}

// Names, each NUL terminated, then an empty one; only whole names that fit.
int PutList(const std::vector<std::string>& names, char* buffer, int size) {
  int used = 0;
  for (const std::string& name : names) {
    int need = static_cast<int>(name.size()) + 1;
    if (used + need > size - 1) break;
    memcpy(buffer + used, name.c_str(), need);
    used += need;
  }
  buffer[used] = '\0';
  if (used + 1 < size) buffer[used + 1] = '\0';
  return used;
}

}  // namespace

extern "C" {

int TEZAPI TezGetString(const char* section, const char* key, const char* def, char* buffer,
                        int size, const char* file) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  IniText text;
  if (!ReadIniFile(file, &text)) return def ? PutText(def, buffer, size) : 0;
  if (!section) return PutList(text.Sections(), buffer, size);
  if (!key) return PutList(text.Keys(section), buffer, size);
  std::string value;
  if (text.Get(section, key, &value)) return PutText(value, buffer, size);
  return def ? PutText(def, buffer, size) : 0;
}

int TEZAPI TezWriteString(const char* section, const char* key, const char* value,
                          const char* file) {
  if (!section || !IniText::Writable(section, true)) return 0;
  if (key && !IniText::Writable(key, true)) return 0;
  if (value && !IniText::Writable(value, false)) return 0;
  return ChangeIniFile(file, [&](IniText& text) {
           if (!key) return text.EraseSection(section);
           if (!value) return text.Remove(section, key);
           text.Set(section, key, value);
           return true;
         })
             ? 1
             : 0;
}

// Every read goes to the file, so there is nothing to reload.
int TEZAPI TezReloadFile(const char* file) { return file ? 1 : 0; }

int TEZAPI TezCreateNewMail(const char* name, HWND window, UINT notifyMessage) {
  return MailQueueCreate(name, window, notifyMessage);
}

int TEZAPI TezSendMail(const char* name, const MailMessage* mail, int* scratch) {
  int ok = MailQueueSend(name, mail);
  if (scratch) *scratch = ok ? kMailRecordSize : 0;
  return ok;
}

int TEZAPI TezGetMail(const char* name, MailMessage* mail, int* scratch) {
  int ok = MailQueueTake(name, mail);
  if (scratch) *scratch = ok ? kMailRecordSize : 0;
  return ok;
}

int TEZAPI TezGetMailCount(const char* name) { return MailQueueCount(name); }

int TEZAPI TezCloseMail(const char* name) { return MailQueueClose(name); }

}  // extern "C"
