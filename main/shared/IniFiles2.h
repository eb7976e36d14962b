// Settings files and mail queues of the form programs, both carried by the
// settings store TezIniManager.dll, which this unit loads for the process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "Classes.h"
#include "MailMessage.h"

// Loads the settings store by its bare name and binds its string entries;
// false when the library does not load.
bool IniManagerLoad();
// Frees the library and forgets its entries; always true.
bool IniManagerUnload();
// Hands a record to the store's queue of that name; 1 = queued, 0 when the
// store or its entry is missing.
int IniManagerSendMail(const std::string& name, const MailMessage& mail);

// One settings file, addressed by the name handed to the store (relative
// to the current directory or full).
class TIniFile : public TObject {
 public:
  explicit TIniFile(std::string fileName) : FileName(std::move(fileName)) {}
  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& def);
  // Raises "Unable to write to %s" (the file name) when the store refuses.
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  // Decimal, "$" hexadecimal, or "0x"/"0X" hexadecimal; def otherwise.
  int32_t ReadInteger(const std::string& section, const std::string& ident, int32_t def);
  void WriteInteger(const std::string& section, const std::string& ident, int32_t value);
  // The section's key names (list cleared first).
  void ReadSection(const std::string& section, TStringList& strings);
  // Sets Name=Value of each key into strings, keeping lines already there.
  void ReadSectionValues(const std::string& section, TStringList& strings);
  // As ReadSectionValues, with values of up to 4095 characters read whole
  // (for files whose values must survive a read and a write).
  void ReadSectionLongValues(const std::string& section, TStringList& strings);
  void EraseSection(const std::string& section);

  std::string FileName;
};

// A handle on one named mail queue of the settings store.
class TTezMailSlot : public TObject {
 public:
  explicit TTezMailSlot(const std::string& name);
  const std::string& Name() const { return name_; }
  // From then on the store posts msg to wnd when mail arrives.
  bool CreateNewMail(HWND wnd, UINT msg);
  // buffer must hold one record (184 bytes); len receives its length.
  bool GetMail(void* buffer, int32_t& len);
  int GetMailCount();
  bool CloseMail();

 private:
  std::string name_;
  char cname_[504];  // the name as handed to the store, up to 503 characters
};
