#include "MailSlotComp.h"

#include <memory>
#include <new>

#include "Application.h"

// Largest message the component reads; anything bigger is taken out of the
// slot and dropped.
constexpr DWORD kLargestMessage = 65533;
// Messages delivered by one call on the main thread.
constexpr int kMessagesPerCall = 64;

class TMailSlotCompWaitThread : public TThread {
 public:
  TMailSlotCompWaitThread(TCustomMailSlotComp* owner, HANDLE handle,
                          std::shared_ptr<std::atomic<bool>> stop)
      : owner_(owner), handle_(handle), stop_(std::move(stop)) {}

 protected:
  void Execute() override {
    while (!*stop_) {
      DWORD next = 0, count = 0;
      if (!GetMailslotInfo(handle_, nullptr, &next, &count, nullptr)) break;  // closed
      // An empty message waiting shows as a next size of 0 with no count
      // on some systems: it is taken like any other.
      if (count < 1 && next != 0) {
        Sleep(10);
        // Blocks until a message arrives where the system supports it;
        // returns at once otherwise (then this is a 10 ms poll).
        DWORD n;
        char none;
        ReadFile(handle_, &none, 0, &n, nullptr);
        continue;
      }
      // The component is only reached on the main thread, and only while
      // this thread has not been told to end: Close sets that flag on the
      // main thread, so a closed or freed component is never called.
      Synchronize([this] {
        if (!*stop_) owner_->MessageAvail();
      });
    }
  }

 private:
  TCustomMailSlotComp* owner_;
  HANDLE handle_;
  std::shared_ptr<std::atomic<bool>> stop_;
};

TCustomMailSlotComp::TCustomMailSlotComp(TComponent* owner) : TComponent(owner) { Close(); }

TCustomMailSlotComp::~TCustomMailSlotComp() {
  Destroying();
  Close();
}

void TCustomMailSlotComp::SetActive(bool active) {
  if (ComponentState() & csLoading) {
    storedActive_ = active;
    return;
  }
  if (active)
    Open();
  else
    Close();
}

void TCustomMailSlotComp::Loaded() {
  TComponent::Loaded();
  SetActive(storedActive_);
}

void TCustomMailSlotComp::SetServer(const std::string& server) {
  if (SameText(server, server_)) return;
  server_ = server;
  if (open_) Open();
}

void TCustomMailSlotComp::SetSlot(const std::string& slot) {
  if (SameText(slot, slot_)) return;
  slotSet_ = true;
  slot_ = slot;
  if (open_) Open();
}

void TCustomMailSlotComp::SetMaxSize(int32_t size) {
  if (size == maxSize_) return;
  maxSize_ = size;
  if (open_) Open();
}

void TCustomMailSlotComp::SetName(const std::string& name) {
  TComponent::SetName(name);
  if (!slotSet_ && !SameText(name, slot_)) {
    slot_ = name;
    if (open_) Open();
  }
}

void TCustomMailSlotComp::Open() {
  if (open_) Close();
  std::string name = "\\\\" + server_ + "\\mailslot\\" + slot_;
  if (ComponentState() & csDesigning) {
    open_ = true;
    return;
  }
  handle_ = CreateMailslotA(name.c_str(), static_cast<DWORD>(maxSize_), MAILSLOT_WAIT_FOREVER,
                            nullptr);
  open_ = handle_ != INVALID_HANDLE_VALUE;
  if (!open_) {
    DWORD err = GetLastError();
    if (err == ERROR_BAD_PATHNAME) Error("Bad mailslot name");
    if (err == ERROR_ALREADY_EXISTS) Error("Mailslot already exists");
    Error("Cannot open mailslot");
  }
  DoOpen();
  if (!waitThread_) {
    stopWaiting_ = std::make_shared<std::atomic<bool>>(false);
    auto* thread = new TMailSlotCompWaitThread(this, handle_, stopWaiting_);
    thread->FreeOnTerminate = true;
    thread->SetPriority(tpLowest);
    // Taken before the thread runs: once it runs, it may end and free
    // itself at any time (a slot that fails ends it).
    DuplicateHandle(GetCurrentProcess(), thread->Handle(), GetCurrentProcess(), &waitThread_,
                    SYNCHRONIZE, FALSE, 0);
    thread->Resume();
  }
}

void TCustomMailSlotComp::Close() {
  if (!open_) return;
  if (stopWaiting_) {
    HANDLE ended = waitThread_;
    *stopWaiting_ = true;
    stopWaiting_.reset();
    waitThread_ = nullptr;
    // Calls the thread is making into the main thread are let through
    // while we wait (they do nothing now), so it is never left waiting on
    // us. The handle is closed once the thread is gone, or at once when it
    // is blocked in a read, which the close releases.
    // Closed from one of our own events, the thread is waiting for that
    // event to return: it ends by itself afterwards.
    if (delivering_ || !ended || WaitWithSentMessages(ended, 50) != WAIT_OBJECT_0) {
      CloseHandle(handle_);
      handle_ = INVALID_HANDLE_VALUE;
      if (ended && !delivering_) WaitWithSentMessages(ended, 2000);
    }
    if (ended) CloseHandle(ended);
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  } else if (handle_ != INVALID_HANDLE_VALUE) {
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  open_ = false;
  if (!(ComponentState() & csDestroying)) DoClose();
}

void TCustomMailSlotComp::GetInfo() {
  if (!open_) Error("Not active");
  DWORD next = 0, count = 0;
  if (!GetMailslotInfo(handle_, nullptr, &next, &count, nullptr)) Error("Error in GetMailSlotInfo");
  nextSize_ = static_cast<int32_t>(next);
  messageCount_ = static_cast<int32_t>(count);
}

namespace {

// Takes the message at the head of the slot out and drops it, whatever its
// size.
void DropHeadMessage(HANDLE slot, DWORD size) {
  std::unique_ptr<char[]> junk(new (std::nothrow) char[size ? size : 1]);
  DWORD got = 0;
  if (junk) ReadFile(slot, junk.get(), size ? size : 1, &got, nullptr);
}

}  // namespace

bool TCustomMailSlotComp::ReadMessage(MessageBuffer& buffer) {
  GetInfo();
  if (messageCount_ == 0 && nextSize_ != 0) Error("No messages waiting");
  FreeBuffer(buffer);
  auto next = static_cast<DWORD>(nextSize_);
  DWORD got = 0;
  if (next == MAILSLOT_NO_MESSAGE) return false;  // taken meanwhile
  if (next >= kLargestMessage) {
    // Too big to hand on: take it out of the slot so it is not offered again.
    DropHeadMessage(handle_, next);
    return false;
  }
  buffer.Size = static_cast<int32_t>(next);
  buffer.Data = new (std::nothrow) char[next + 1]();
  if (!buffer.Data) {
    DropHeadMessage(handle_, next);
    buffer.Size = 0;
    return false;
  }
  if (next == 0) {
    // An empty message is read with room for one byte (a read of no bytes
    // does not take it out of the slot everywhere); some systems report
    // that read as failed, but it is taken all the same.
    ReadFile(handle_, buffer.Data, 1, &got, nullptr);
    return true;
  }
  if (!ReadFile(handle_, buffer.Data, next, &got, nullptr)) {
    // The size offered was not the message's: it leaves the slot all the
    // same, so that the slot never sticks on it.
    if (GetLastError() == ERROR_INSUFFICIENT_BUFFER || GetLastError() == ERROR_MORE_DATA)
      DropHeadMessage(handle_, kLargestMessage);
    Error("Error reading message");
  }
  if (got != static_cast<DWORD>(buffer.Size)) Error("Error reading message");
  return true;
}

void TCustomMailSlotComp::FreeBuffer(MessageBuffer& buffer) {
  delete[] buffer.Data;
  buffer.Data = nullptr;
  buffer.Size = 0;
}

void TCustomMailSlotComp::MessageAvail() {
  struct Delivering {
    bool& flag;
    explicit Delivering(bool& f) : flag(f) { flag = true; }
    ~Delivering() { flag = false; }
  };
  Delivering mark(delivering_);
  // Several messages a call, so that reading keeps pace with a burst; a
  // message that cannot be read is dropped and the next one taken.
  for (int taken = 0; taken < kMessagesPerCall && open_; ++taken) {
    MessageBuffer buffer;
    bool read = false;
    try {
      GetInfo();
      if (messageCount_ < 1 && nextSize_ != 0) break;
      read = ReadMessage(buffer);
    } catch (const EMailSlotComp&) {
      FreeBuffer(buffer);
      continue;
    }
    if (!read) continue;
    try {
      DoMessageAvail(buffer.Data ? std::string(buffer.Data) : std::string());
      DoBinMessageAvail(buffer.Data, buffer.Size);
    } catch (...) {
      FreeBuffer(buffer);
      throw;
    }
    FreeBuffer(buffer);
  }
}

void TCustomMailSlotComp::DoOpen() {
  if (OnOpen) OnOpen(this);
}
void TCustomMailSlotComp::DoClose() {
  if (OnClose) OnClose(this);
}
void TCustomMailSlotComp::DoMessageAvail(const std::string& msg) {
  if (OnMessageAvail) OnMessageAvail(this, msg);
}
void TCustomMailSlotComp::DoBinMessageAvail(const char* data, int len) {
  if (OnBinMessageAvail) OnBinMessageAvail(this, data, len);
}
void TCustomMailSlotComp::Error(const std::string& text) { throw EMailSlotComp(text); }

HANDLE MailSlotOpenWrite(const std::string& server, const std::string& slot) {
  std::string name = "\\\\" + server + "\\mailslot\\" + slot;
  // Shared for reading and writing, as every writer of the system holds a
  // slot: a second writer that does not share writing is refused.
  return CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool MailSlotSendBinMessage(const std::string& server, const std::string& slot, const void* data,
                            int len) {
  if (len < 0) return false;
  HANDLE h = MailSlotOpenWrite(server, slot);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, data, static_cast<DWORD>(len), &written, nullptr) &&
            written == static_cast<DWORD>(len);
  CloseHandle(h);
  return ok;
}

bool MailSlotSendMessage(const std::string& server, const std::string& slot, const std::string& s) {
  return MailSlotSendBinMessage(server, slot, s.data(), static_cast<int>(s.size()));
}
