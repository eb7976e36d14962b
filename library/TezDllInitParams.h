// The host-link record: the six values a host hands a plug-in library when
// it initialises it.
#pragma once

#include <windows.h>

#include <string>

#include "MailMessage.h"
#include "TezApi.h"

// Called by a plug-in's mail client with every record it sends, for
// delivery inside the host's process.
typedef void(TEZAPI* TezMailHook)(const MailMessage* mail);

// The three initialisation entries that every plug-in kind offers, with
// the first three, five or all six values of the host-link record.
extern "C" {
typedef int(TEZAPI* TezInitialize_t)(HWND parent, const char* mailslotName, TezMailHook hook);
typedef int(TEZAPI* TezInitialize2_t)(HWND parent, const char* mailslotName, TezMailHook hook,
                                      int useMappedMail, int useMailslot);
typedef int(TEZAPI* TezInitialize3_t)(HWND parent, const char* mailslotName, TezMailHook hook,
                                      int useMappedMail, int useMailslot, const char* indexFile);
}

class CTezDllInitParams {
 public:
  CTezDllInitParams();
  CTezDllInitParams(HWND parent, const char* mailslotName, TezMailHook hook, int32_t useMappedMail,
                    int32_t useMailslot, const char* indexFile);
  CTezDllInitParams(const CTezDllInitParams&) = default;
  CTezDllInitParams& operator=(const CTezDllInitParams&) = default;
  virtual ~CTezDllInitParams();

  // Window, hook, both flags and both texts equal (case counts).
  bool operator==(const CTezDllInitParams& other) const;
  bool operator!=(const CTezDllInitParams& other) const { return !(*this == other); }

  HWND m_parent;
  std::string m_mailslotName;
  TezMailHook m_hook;
  int32_t m_useMappedMail;
  int32_t m_useMailslot;
  std::string m_indexFile;
};

// Initialises a library through the richest entry it has (all six values,
// else five, else three); 0 without a record or without any entry.
int InitializeLibrary(const CTezDllInitParams* params, TezInitialize3_t init3,
                      TezInitialize2_t init2, TezInitialize_t init1);
