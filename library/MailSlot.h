// One end of a Windows mailslot carrying MailMessage records: a server with
// a reader thread that queues every record it reads and notifies a window,
// or a client that writes. A send may also go to an in-process hook and to
// the settings store's mail queue (the companion); the receiver drops the
// copies by their id.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "MailFifo.h"
#include "MailMessage.h"
#include "TezDllInitParams.h"

class CMappedMail;

// Whether a record read from a mailslot can be one of ours: a known sender
// category and a text length in bounds. Anything else is dropped unread.
inline bool MailRecordIsSound(const MailMessage& mail) {
  switch (mail.category) {
    case TEZ_MAIL_RECORDER:
    case TEZ_MAIL_TO_CONTROLLER:
    case TEZ_MAIL_INTERNAL:
    case TEZ_MAIL_MEDIA:
    case TEZ_MAIL_DIALER:
    case TEZ_MAIL_CHANNEL_OPERATOR:
    case TEZ_MAIL_ITEM_OPERATOR:
    case TEZ_MAIL_ITEM_PLAYER:
    case TEZ_MAIL_CONTROLLER:
      return mail.textLength >= 0 && mail.textLength <= kMailTextMax;
    default:
      return false;
  }
}

// Posted to the notify window for each record queued (wParam 0, lParam 0).
constexpr UINT WM_TEZ_MAIL_QUEUED = 5576;

class CMailSlot {
 public:
  CMailSlot();
  CMailSlot(const CMailSlot&) = delete;
  CMailSlot& operator=(const CMailSlot&) = delete;
  ~CMailSlot();

  // Whether Initialize opens the slot (1 at construction); a client that
  // did not open it sends through the hook and the companion alone.
  void SetUseMailslot(int use) { m_useMailslot = use; }
  // Non-zero makes the settings-store companion (if there is none); 0 drops
  // it. A server opens its queue at Initialize; sends use it from the next
  // send on, as they do the hook.
  void EnableMappedMail(int enable);
  void SetSendHook(TezMailHook hook) { m_sendHook = hook; }

  // Opens the server (isClient 0; needs a notify window) or the client end.
  // 1 = ready; 0 = failed, and the object stays unusable. Once only: a
  // second call answers 0.
  int Initialize(const char* name, int category, int isClient, HWND notify);

  // Fill the outgoing record and send it; 0 when not initialised, else 1.
  int SendMail(int message, int value, const char* text);
  int SendMail(int message, int value);
  int SendMail(int message, int count, const int* values, const char* text);

  // Server: the oldest record into out. 1 = a new record; 0 = nothing
  // waiting, or a repeat of one of the last ten ids (consumed all the same).
  int GetMail(MailMessage* out);
  // Appends a copy to the queue and posts WM_TEZ_MAIL_QUEUED to the notify
  // window. Safe from any thread.
  void PutMail(const MailMessage* mail);

  // Reports "Mailslot <what> error : #<last error> - <system text>" to the
  // notify window; nothing without one.
  void ReportError(const char* what);

 private:
  static constexpr int kRingIds = 10;

  void Send();
  void ReportErrorF(const char* format, ...);
  int32_t NextId();
  int InitializeServer();
  int InitializeClient();
  static DWORD WINAPI MailServerThread(LPVOID self);
  void ServeMail();
  // Reads the record at the head of the slot; false stops the reader.
  bool ReadOne(DWORD size, int32_t (&ring)[kRingIds], uint32_t& reads);
  // Reads a record of another size than 184 bytes and drops it.
  bool DropOddRecord(DWORD size);
  // One report for the malformed records dropped since the last one.
  void ReportDropped();
  unsigned long m_dropped = 0;  // reader thread only
  // Reports a failed read; false when the reader must stop.
  bool ReadFailed();
  bool QueryCount(DWORD* count, DWORD* nextSize);
  void StopReader();

  int m_initialised = 0;
  std::atomic<int> m_running{1};
  HANDLE m_handle = INVALID_HANDLE_VALUE;
  HWND m_notify = nullptr;
  uint32_t m_fallbackId = 0;
  int32_t m_ring[kRingIds] = {};  // ids of the last ten records taken by GetMail
  uint32_t m_taken = 0;
  CMappedMail* m_companion = nullptr;
  std::string m_name;
  TezMailHook m_sendHook = nullptr;
  int m_useMailslot = 1;
  CMailFifo m_queue;
  MailMessage* m_outgoing;
  HANDLE m_started = nullptr;  // signalled by the reader once it runs
  std::atomic<HANDLE> m_thread{nullptr};  // cleared by the reader as it ends
  CRITICAL_SECTION m_lock;
};

// The low 32 bits of the performance counter; false when it cannot be read.
bool ReadCounterLow(int32_t* low);
