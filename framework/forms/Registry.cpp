#include "Registry.h"

#include <vector>

TRegistry::TRegistry() = default;

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY key) {
  if (key == root_) return;
  root_ = key;
  CloseKey();
}

void TRegistry::CloseKey() {
  if (current_) {
    if (LazyWrite)
      RegCloseKey(current_);
    else {
      RegFlushKey(current_);
      RegCloseKey(current_);
    }
    current_ = nullptr;
  }
  path_.clear();
}

HKEY TRegistry::BaseKey(const std::string& key, std::string& relative) const {
  if (!key.empty() && key[0] == '\\') {
    relative = key.substr(1);
    return root_;
  }
  relative = key;
  return current_ ? current_ : root_;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::string rel;
  HKEY base = BaseKey(key, rel);
  bool absolute = base == root_ && (!current_ || (!key.empty() && key[0] == '\\'));
  HKEY opened = nullptr;
  LONG r;
  if (!canCreate || rel.empty()) {
    r = RegOpenKeyExA(base, rel.c_str(), 0, openAccess_, &opened);
  } else {
    DWORD disposition;
    r = RegCreateKeyExA(base, rel.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, createAccess_,
                        nullptr, &opened, &disposition);
  }
  if (r != ERROR_SUCCESS) return false;
  std::string newPath = absolute ? rel : (path_.empty() ? rel : path_ + "\\" + rel);
  CloseKey();
  current_ = opened;
  path_ = newPath;
  return true;
}

bool TRegistry::KeyExists(const std::string& key) {
  std::string rel;
  HKEY base = BaseKey(key, rel);
  HKEY k;
  if (RegOpenKeyExA(base, rel.c_str(), 0, openAccess_, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

bool TRegistry::ValueExists(const std::string& name) {
  return current_ &&
         RegQueryValueExA(current_, name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
             ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) {
  DWORD type = 0, size = 0;
  if (!current_ ||
      RegQueryValueExA(current_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::string();
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    throw ERegistryException(Format("Invalid data type for '%s'", name.c_str()));
  std::vector<char> buf(size + 1, '\0');
  DWORD got = size;
  if (RegQueryValueExA(current_, name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(buf.data()), &got) != ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to get data for '%s'", name.c_str()));
  return std::string(buf.data());  // up to the first zero
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  if (!current_ ||
      RegSetValueExA(current_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to set data for '%s'", name.c_str()));
}

bool TRegistry::DeleteValue(const std::string& name) {
  return current_ && RegDeleteValueA(current_, name.c_str()) == ERROR_SUCCESS;
}
