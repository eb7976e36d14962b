// The mailslot component: the server end of one mailslot, watched by a
// low-priority thread, each message delivered on the main thread through
// events; and client routines that write one message to any mailslot.
#pragma once

#include <windows.h>

#include <cstdint>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "Classes.h"
#include "Threads.h"

class EMailSlotComp : public Exception {
  using Exception::Exception;
};

using TmsMessageAvail = std::function<void(TObject* sender, const std::string& msg)>;
using TmsBinMessageAvail = std::function<void(TObject* sender, const char* data, int len)>;

class TMailSlotCompWaitThread;

class TCustomMailSlotComp : public TComponent {
 public:
  struct MessageBuffer {
    int32_t Size = 0;
    char* Data = nullptr;  // Size + 1 bytes, zero-filled
  };

  explicit TCustomMailSlotComp(TComponent* owner);
  ~TCustomMailSlotComp() override;

  bool Active() const { return open_; }
  void SetActive(bool active);
  const std::string& Server() const { return server_; }
  void SetServer(const std::string& server);
  const std::string& Slot() const { return slot_; }
  void SetSlot(const std::string& slot);
  int32_t MaxSize() const { return maxSize_; }
  void SetMaxSize(int32_t size);
  HANDLE Handle() const { return handle_; }
  int32_t MessageCount() const { return messageCount_; }
  int32_t NextSize() const { return nextSize_; }
  void SetName(const std::string& name) override;

  // Reads the count and the next size ("Not active", "Error in GetMailSlotInfo").
  void GetInfo();

  TNotifyEvent OnOpen;
  TNotifyEvent OnClose;
  TmsMessageAvail OnMessageAvail;
  TmsBinMessageAvail OnBinMessageAvail;

 protected:
  virtual void DoOpen();
  virtual void DoClose();
  virtual void DoMessageAvail(const std::string& msg);
  virtual void DoBinMessageAvail(const char* data, int len);
  virtual void Error(const std::string& text);
  virtual bool ReadMessage(MessageBuffer& buffer);
  virtual void FreeBuffer(MessageBuffer& buffer);
  virtual void Open();
  virtual void Close();
  void Loaded() override;

 private:
  friend class TMailSlotCompWaitThread;
  // Main thread: reads the waiting message and fires the events.
  void MessageAvail();
  bool storedActive_ = false;
  bool open_ = false;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  int32_t maxSize_ = 0;
  std::string server_ = ".";
  std::string slot_ = "MailSlotComp1";
  int32_t messageCount_ = 0;
  int32_t nextSize_ = 0;
  bool slotSet_ = false;
  bool delivering_ = false;  // inside MessageAvail
  // The wait thread frees itself: the component keeps only a handle to see
  // it end and the flag that tells it to, never the thread object.
  HANDLE waitThread_ = nullptr;
  std::shared_ptr<std::atomic<bool>> stopWaiting_;
};

class TMailSlotComp : public TCustomMailSlotComp {
 public:
  using TCustomMailSlotComp::TCustomMailSlotComp;
  using TCustomMailSlotComp::Close;
  using TCustomMailSlotComp::Open;
};

// Client routines; each opens and closes its own handle.
HANDLE MailSlotOpenWrite(const std::string& server, const std::string& slot);
bool MailSlotSendBinMessage(const std::string& server, const std::string& slot, const void* data,
                            int len);
bool MailSlotSendMessage(const std::string& server, const std::string& slot, const std::string& s);
