// The settings wrapper of the Recorder and the plug-ins: string and number
// values of .inx files through TezIniManager.dll. One instance serves the
// process (the item record and the index readers use it).
#pragma once

#include <string>
#include <vector>

#include "DllWrapper.h"
#include "TezIniManager.h"

class CIniManager : public CDllWrapper {
 public:
  // The newest instance becomes the process's one until it is destroyed.
  CIniManager(const char* path, int load);
  ~CIniManager() override;
  void ResolveExports() override;

  static CIniManager* Instance();

  // The value, or "" when missing; cut to 255 characters. The text lives in
  // one buffer shared by all reads: valid until the next read.
  const char* GetString(const char* file, const char* section, const char* key);
  int GetInt(const char* file, const char* section, const char* key);
  // The key names of a section, in file order.
  std::vector<std::string> GetKeys(const char* file, const char* section);
  // A null value removes the key. 1 = written.
  int WriteString(const char* file, const char* section, const char* key, const char* value);
  int WriteInt(const char* file, const char* section, const char* key, int value);
  int ReloadFile(const char* file);

 private:
  TezGetString_t m_getString = nullptr;
  TezWriteString_t m_writeString = nullptr;
  TezReloadFile_t m_reloadFile = nullptr;
  char m_buffer[256];
};

// The current directory, "\" and name (the current directory read in full).
std::string InCurrentDirectory(const char* name);
