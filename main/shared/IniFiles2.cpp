#include "IniFiles2.h"

#include <cstring>
#include <vector>

#include "TezIniManager.h"

namespace {
HMODULE g_module = nullptr;
TezGetString_t g_getString = nullptr;
TezWriteString_t g_writeString = nullptr;
char g_buffer[256];  // receives every single-value read of the process

template <typename T>
T Entry(const char* name) {
  return g_module ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(g_module, name)))
                  : nullptr;
}

// Length of the text the store placed in a buffer, kept within the buffer.
int PlacedLength(int returned, const char* buffer, int size) {
  if (returned <= 0) return 0;
  int n = returned < size ? returned : size - 1;
  const void* nul = std::memchr(buffer, 0, static_cast<size_t>(n));
  return nul ? static_cast<int>(static_cast<const char*>(nul) - buffer) : n;
}
}  // namespace

bool IniManagerLoad() {
  if (!g_module) g_module = LoadLibraryA("TezIniManager.dll");
  if (!g_module) return false;
  g_getString = Entry<TezGetString_t>("TezGetString");
  g_writeString = Entry<TezWriteString_t>("TezWriteString");
  return true;
}

bool IniManagerUnload() {
  if (g_module) FreeLibrary(g_module);
  g_module = nullptr;
  g_getString = nullptr;
  g_writeString = nullptr;
  return true;
}

int IniManagerSendMail(const std::string& name, const MailMessage& mail) {
  auto send = Entry<TezSendMail_t>("TezSendMail");
  int scratch = 0;
  return send ? send(name.c_str(), &mail, &scratch) : 0;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& def) {
  if (!g_getString) return def;
  int n = g_getString(section.c_str(), ident.c_str(), def.c_str(), g_buffer, sizeof g_buffer,
                      FileName.c_str());
  return std::string(g_buffer, static_cast<size_t>(PlacedLength(n, g_buffer, sizeof g_buffer)));
}

void TIniFile::WriteString(const std::string& section, const std::string& ident,
                           const std::string& value) {
  if (!g_writeString) return;
  if (g_writeString(section.c_str(), ident.c_str(), value.c_str(), FileName.c_str()) == 0)
    throw Exception(Format("Unable to write to %s", FileName.c_str()));
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& ident, int32_t def) {
  std::string text = ReadString(section, ident, "");
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text = "$" + text.substr(2);
  return StrToIntDef(text, def);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int32_t value) {
  WriteString(section, ident, IntToStr(value));
}

void TIniFile::ReadSection(const std::string& section, TStringList& strings) {
  std::vector<char> buf(8192, '\0');
  strings.BeginUpdate();
  strings.Clear();
  if (g_getString) {
    int n = g_getString(section.c_str(), nullptr, nullptr, buf.data(), static_cast<int>(buf.size()),
                        FileName.c_str());
    if (n != 0) {
      buf.back() = '\0';  // a list cut by the store still ends inside the buffer
      size_t pos = 0;
      while (pos < buf.size() && buf[pos] != '\0') {
        size_t len = std::strlen(&buf[pos]);
        strings.Add(std::string(&buf[pos], len));
        pos += len + 1;
      }
    }
  }
  strings.EndUpdate();
}

void TIniFile::ReadSectionValues(const std::string& section, TStringList& strings) {
  TStringList keys;
  ReadSection(section, keys);
  strings.BeginUpdate();
  for (int i = 0; i < keys.Count(); ++i)
    strings.SetValue(keys.Strings(i), ReadString(section, keys.Strings(i), ""));
  strings.EndUpdate();
}

void TIniFile::ReadSectionLongValues(const std::string& section, TStringList& strings) {
  TStringList keys;
  ReadSection(section, keys);
  std::vector<char> buf(4096, '\0');
  strings.BeginUpdate();
  for (int i = 0; i < keys.Count(); ++i) {
    const std::string& key = keys.Strings(i);
    int n = g_getString ? g_getString(section.c_str(), key.c_str(), "", buf.data(),
                                      static_cast<int>(buf.size()), FileName.c_str())
                        : 0;
    strings.SetValue(key, std::string(buf.data(), static_cast<size_t>(
                                                      PlacedLength(n, buf.data(), 4096))));
  }
  strings.EndUpdate();
}

void TIniFile::EraseSection(const std::string& section) {
  if (!g_writeString) return;
  if (g_writeString(section.c_str(), nullptr, nullptr, FileName.c_str()) == 0)
    throw Exception(Format("Unable to write to %s", FileName.c_str()));
}

TTezMailSlot::TTezMailSlot(const std::string& name) : name_(name) {
  size_t n = name.size() < sizeof cname_ ? name.size() : sizeof cname_ - 1;
  std::memcpy(cname_, name.data(), n);
  cname_[n] = '\0';
}

bool TTezMailSlot::CreateNewMail(HWND wnd, UINT msg) {
  auto create = Entry<TezCreateNewMail_t>("TezCreateNewMail");
  return create && create(cname_, wnd, msg) == 1;
}

bool TTezMailSlot::GetMail(void* buffer, int32_t& len) {
  auto get = Entry<TezGetMail_t>("TezGetMail");
  int scratch = 0;
  bool ok = get && get(cname_, static_cast<MailMessage*>(buffer), &scratch) == 1;
  len = scratch;
  return ok;
}

int TTezMailSlot::GetMailCount() {
  auto count = Entry<TezGetMailCount_t>("TezGetMailCount");
  return count ? count(cname_) : 0;
}

bool TTezMailSlot::CloseMail() {
  auto close = Entry<TezCloseMail_t>("TezCloseMail");
  return close && close(cname_) == 1;
}
