// Registry access of the form class library: one current key below a root
// key, string values.
#pragma once

#include <windows.h>

#include <string>

#include "SysUtils.h"

class ERegistryException : public Exception {
  using Exception::Exception;
};

class TRegistry {
 public:
  TRegistry();
  virtual ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return root_; }
  void SetRootKey(HKEY key);
  HKEY CurrentKey() const { return current_; }
  const std::string& CurrentPath() const { return path_; }
  bool LazyWrite = true;

  // A leading "\" starts from the root key; otherwise the path is relative
  // to the current key when one is open. Success makes the key current.
  bool OpenKey(const std::string& key, bool canCreate);
  void CloseKey();
  bool KeyExists(const std::string& key);
  bool ValueExists(const std::string& name);
  // A missing value reads as ""; a value of another type raises
  // "Invalid data type for '%s'", a failed read "Failed to get data for '%s'".
  std::string ReadString(const std::string& name);
  // Raises "Failed to set data for '%s'" when the write fails.
  void WriteString(const std::string& name, const std::string& value);
  bool DeleteValue(const std::string& name);

 protected:
  // Access rights for opening and for creating keys.
  REGSAM openAccess_ = KEY_ALL_ACCESS;
  REGSAM createAccess_ = KEY_ALL_ACCESS;

 private:
  HKEY BaseKey(const std::string& key, std::string& relative) const;
  HKEY root_ = HKEY_CURRENT_USER;
  HKEY current_ = nullptr;
  std::string path_;
};
