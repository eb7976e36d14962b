#include "MailSlot.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <new>

#include "MappedMail.h"
#include "TextReport.h"

bool ReadCounterLow(int32_t* low) {
  LARGE_INTEGER counter;
  if (!QueryPerformanceCounter(&counter)) return false;
  *low = static_cast<int32_t>(counter.LowPart);
  return true;
}

CMailSlot::CMailSlot() : m_outgoing(new MailMessage) {
  m_outgoing->id = 0;
  m_outgoing->Clear(true);
  InitializeCriticalSection(&m_lock);
}

CMailSlot::~CMailSlot() {
  delete m_outgoing;
  m_outgoing = nullptr;
  EnableMappedMail(0);
  if (m_initialised) {
    StopReader();
    if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    m_initialised = 0;
  }
  DeleteCriticalSection(&m_lock);
  m_queue.Clear();
}

void CMailSlot::EnableMappedMail(int enable) {
  if (enable && !m_companion) {
    m_companion = new CMappedMail(nullptr);
  } else if (!enable) {
    delete m_companion;
    m_companion = nullptr;
  }
}

int CMailSlot::Initialize(const char* name, int category, int isClient, HWND notify) {
  if (m_initialised) return 0;
  m_name = name ? name : "";
  m_notify = notify;
  if (!(isClient ? InitializeClient() : InitializeServer())) return 0;
  m_outgoing->category = category;
  m_initialised = 1;
  return 1;
}

int CMailSlot::InitializeServer() {
  if (!m_notify) return 0;
  if (m_useMailslot) {
    m_handle = CreateMailslotA(m_name.c_str(), 0, 300, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) {
      ReportError("Initialize CreateMailslot failed");
      return 0;
    }
    m_running = 1;
    m_started = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    // Started suspended so that the reference is in place before the
    // reader can clear it.
    HANDLE thread = m_started ? CreateThread(nullptr, 0, MailServerThread, this,
                                             CREATE_SUSPENDED, nullptr)
                              : nullptr;
    if (!thread) {
      ReportError("Initialize CreateThread failed");
      if (m_started) CloseHandle(m_started);
      m_started = nullptr;
      CloseHandle(m_handle);
      m_handle = INVALID_HANDLE_VALUE;
      return 0;
    }
    m_thread = thread;
    ResumeThread(thread);
    WaitForSingleObject(m_started, INFINITE);
    CloseHandle(m_started);
    m_started = nullptr;
  }
  if (m_companion && !m_companion->CreateNewMail(m_name.c_str(), m_notify, WM_TEZ_MAIL_QUEUED))
    ReportError("Failed to created memory mapped mail");
  return 1;
}

int CMailSlot::InitializeClient() {
  if (m_useMailslot) {
    m_handle = CreateFileA(m_name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) {
      ReportError("Initialize failed to open mailslot");
      return 0;
    }
  }
  int32_t low;
  if (ReadCounterLow(&low)) {
    m_fallbackId = static_cast<uint32_t>(low);
  } else {
    srand(static_cast<unsigned>(time(nullptr)));
    const long temp = rand();
    const long r = rand();
    m_fallbackId = static_cast<uint32_t>(r * (temp % 100));
    PostTextReportF(m_notify, "MailSlot Ctor: temp=%ld counter=%ld", temp,
                    static_cast<long>(static_cast<int32_t>(m_fallbackId)));
  }
  return 1;
}

int CMailSlot::SendMail(int message, int value, const char* text) {
  return SendMail(message, 1, &value, text);
}

int CMailSlot::SendMail(int message, int value) { return SendMail(message, 1, &value, nullptr); }

int CMailSlot::SendMail(int message, int count, const int* values, const char* text) {
  if (!m_initialised) return 0;
  m_outgoing->Fill(message, count, values, text);
  Send();
  return 1;
}

int32_t CMailSlot::NextId() {
  int32_t id;
  if (ReadCounterLow(&id)) return id;
  ReportError("QueryPerformanceCounter failed");
  return static_cast<int32_t>(m_fallbackId++);
}

void CMailSlot::Send() {
  m_outgoing->id = NextId();
  if (m_useMailslot && m_handle != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    if (!WriteFile(m_handle, m_outgoing, kMailRecordSize, &written, nullptr))
      ReportErrorF("SendMail-WriteFile, actualWritten=%ld", static_cast<long>(written));
  }
  if (m_sendHook) m_sendHook(m_outgoing);
  if (m_companion) {
    int scratch = 0;
    m_companion->SendRecord(m_name.c_str(), m_outgoing, &scratch);
  }
}

void CMailSlot::PutMail(const MailMessage* mail) {
  if (!mail) return;
  EnterCriticalSection(&m_lock);
  m_queue.Push(*mail);
  LeaveCriticalSection(&m_lock);
  if (m_notify) PostMessageA(m_notify, WM_TEZ_MAIL_QUEUED, 0, 0);
}

int CMailSlot::GetMail(MailMessage* out) {
  if (!out) return 0;
  EnterCriticalSection(&m_lock);
  const bool queued = m_queue.Pop(out);
  LeaveCriticalSection(&m_lock);
  if (!queued) {
    int scratch = 0;
    if (!m_initialised || !m_companion || !m_companion->GetMail(m_name.c_str(), out, &scratch))
      return 0;
  }
  bool seen = false;
  for (int32_t id : m_ring) seen = seen || id == out->id;
  m_ring[m_taken % kRingIds] = out->id;
  ++m_taken;
  return seen ? 0 : 1;
}

void CMailSlot::ReportError(const char* what) {
  const DWORD error = GetLastError();
  if (!m_notify) return;
  char system[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                 system, sizeof system, nullptr);
  system[sizeof system - 1] = '\0';
  // The system texts end in a line break; the report is one line.
  for (size_t n = strlen(system); n > 0 && (system[n - 1] == '\r' || system[n - 1] == '\n');)
    system[--n] = '\0';
  PostTextReportF(m_notify, "Mailslot %s error : #%ld - %s", what ? what : "",
                  static_cast<long>(error), system);
}

void CMailSlot::ReportErrorF(const char* format, ...) {
  const DWORD error = GetLastError();
  char what[256];
  va_list args;
  va_start(args, format);
  vsnprintf(what, sizeof what, format, args);
  va_end(args);
  SetLastError(error);
  ReportError(what);
}

DWORD WINAPI CMailSlot::MailServerThread(LPVOID self) {
  CMailSlot* slot = static_cast<CMailSlot*>(self);
  slot->ServeMail();
  // Last touch of the object: the destructor may go on once this is null.
  HANDLE own = slot->m_thread.exchange(nullptr);
  if (own) CloseHandle(own);
  return 0;
}

void CMailSlot::ServeMail() {
  SetEvent(m_started);
  int32_t ring[kRingIds] = {};  // the reader's own ring, apart from GetMail's
  uint32_t reads = 0;
  while (m_running) {
    DWORD count = 0, size = 0;
    if (!QueryCount(&count, &size)) return;
    // An empty record waiting shows as a next size of 0 with no count on
    // some systems: it is taken (and dropped) like any other.
    if (count == 0 && size != 0) {
      ReportDropped();
      Sleep(100);
      continue;
    }
    while (count > 0 || size == 0) {
      if (!m_running) return;
      if (!ReadOne(size, ring, reads)) {
        m_running = 0;
        return;
      }
      if (!QueryCount(&count, &size)) return;
    }
  }
}

bool CMailSlot::QueryCount(DWORD* count, DWORD* nextSize) {
  if (GetMailslotInfo(m_handle, nullptr, nextSize, count, nullptr)) return true;
  ReportError("MailServer GetMailslotInfo");
  m_running = 0;
  return false;
}

bool CMailSlot::ReadOne(DWORD size, int32_t (&ring)[kRingIds], uint32_t& reads) {
  if (size != MAILSLOT_NO_MESSAGE && size != static_cast<DWORD>(kMailRecordSize))
    return DropOddRecord(size);
  MailMessage mail;
  DWORD got = 0;
  if (!ReadFile(m_handle, &mail, kMailRecordSize, &got, nullptr)) return ReadFailed();
  if (got != static_cast<DWORD>(kMailRecordSize) || !MailRecordIsSound(mail)) {
    ++m_dropped;
    return true;
  }
  bool seen = false;
  for (int32_t id : ring) seen = seen || id == mail.id;
  if (seen)
    ReportErrorF("Skipped multiple message [id == %ld]", static_cast<long>(mail.id));
  else
    PutMail(&mail);
  ring[reads % kRingIds] = mail.id;
  ++reads;
  return true;
}

bool CMailSlot::DropOddRecord(DWORD size) {
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[size ? size : 1]);
  if (!buffer) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    ReportError("MailServer ReadFile");
    return false;
  }
  DWORD got = 0;
  // An empty record may be reported as a failed read; it is gone all the same.
  if (!ReadFile(m_handle, buffer.get(), size ? size : 1, &got, nullptr) && size != 0)
    return ReadFailed();
  ++m_dropped;
  return true;
}

void CMailSlot::ReportDropped() {
  if (!m_dropped) return;
  SetLastError(ERROR_INVALID_DATA);
  ReportErrorF("Skipped %lu malformed records", m_dropped);
  m_dropped = 0;
}

bool CMailSlot::ReadFailed() {
  switch (GetLastError()) {
    case ERROR_ACCESS_DENIED:
      ReportError("Nothing");
      break;
    case ERROR_INSUFFICIENT_BUFFER:
      ReportError("buffer is too small");
      break;
    default:
      ReportError("MailServer ReadFile");
      return false;
  }
  Sleep(100);  // a read that keeps failing must not spin
  return true;
}

void CMailSlot::StopReader() {
  if (!m_thread) return;
  m_running = 0;
  Sleep(0);
  for (int i = 0; i < 10 && m_thread; ++i) Sleep(100);
  HANDLE thread = m_thread.exchange(nullptr);
  if (!thread) return;
  ReportError("Dtor force Terminate Thread");
  TerminateThread(thread, static_cast<DWORD>(-4));
  WaitForSingleObject(thread, 1000);
  CloseHandle(thread);
}
