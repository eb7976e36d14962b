// The store's entries bound by name from the real DLL, as its callers do.
#pragma once

#include "TezIniManager.h"

struct StoreBinding {
  HMODULE module = LoadLibraryA("TezIniManager.dll");
  template <typename T>
  T Entry(const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
  TezGetString_t GetString = Entry<TezGetString_t>("TezGetString");
  TezWriteString_t WriteString = Entry<TezWriteString_t>("TezWriteString");
  TezReloadFile_t ReloadFile = Entry<TezReloadFile_t>("TezReloadFile");
  TezCreateNewMail_t CreateNewMail = Entry<TezCreateNewMail_t>("TezCreateNewMail");
  TezSendMail_t SendMail = Entry<TezSendMail_t>("TezSendMail");
  TezGetMail_t GetMail = Entry<TezGetMail_t>("TezGetMail");
  TezGetMailCount_t GetMailCount = Entry<TezGetMailCount_t>("TezGetMailCount");
  TezCloseMail_t CloseMail = Entry<TezCloseMail_t>("TezCloseMail");
};
