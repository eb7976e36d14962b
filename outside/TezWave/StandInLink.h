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
