// What every stand-in library keeps of its host: the host-link values, the
// process's settings wrapper, and the mail client of its sender category
// by which it answers the Recorder.
#pragma once

#include <memory>
#include <string>

#include "IniManager.h"
#include "MailSlot.h"
#include "TezDllInitParams.h"

class CStandInLink {
 public:
  explicit CStandInLink(int category) : m_category(category) {}

  // Opens the mail client from the host-link values; 1 = ready.
  int Initialize(HWND parent, const char* mailslotName, TezMailHook hook, int useMappedMail,
                 int useMailslot, const char* indexFile);
  void Close();
  int IsReady() const { return m_ready; }

  void SendEvent(int event);
  void SendStatus(int count, const int* values, const char* text);
  void SendError(const char* text);

  HWND Parent() const { return m_params.m_parent; }
  // The index file in the current directory (the host's, else fallback).
  std::string IndexPath(const char* fallback) const;
  CIniManager* Settings() { return m_settings.get(); }

 private:
  int m_category;
  int m_ready = 0;
  CTezDllInitParams m_params;
  std::unique_ptr<CIniManager> m_settings;
  std::unique_ptr<CMailSlot> m_mail;
};

// The three initialisation exports of a stand-in (three, five or all six
// host-link values), each handing all six to start; the values a variant
// lacks are those of a default host-link record.
#define TEZ_STAND_IN_INITIALIZE(First, Second, Third, start)                                   \
  int TEZAPI First(HWND parent, const char* name, TezMailHook hook) {                         \
    return start(parent, name, hook, 0, 1, nullptr);                                          \
  }                                                                                           \
  int TEZAPI Second(HWND parent, const char* name, TezMailHook hook, int useMappedMail,       \
                    int useMailslot) {                                                        \
    return start(parent, name, hook, useMappedMail, useMailslot, nullptr);                    \
  }                                                                                           \
  int TEZAPI Third(HWND parent, const char* name, TezMailHook hook, int useMappedMail,        \
                   int useMailslot, const char* indexFile) {                                  \
    return start(parent, name, hook, useMappedMail, useMailslot, indexFile);                  \
  }
