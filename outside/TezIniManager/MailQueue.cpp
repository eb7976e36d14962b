#include "MailQueue.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

constexpr uint32_t kMagic = 0x4c69614d;  // "MaiL"
constexpr uint32_t kCapacity = 1024;

struct Shared {
  uint32_t magic;
  uint32_t capacity;
  uint32_t head;
  uint32_t count;
  uint32_t ownerWindow;  // window handles are 32-bit values in every process
  uint32_t ownerMessage;
  uint32_t ownerProcess;
  uint32_t reserved;
  MailMessage records[kCapacity];
};

struct Queue {
  HANDLE mapping = nullptr;
  HANDLE mutex = nullptr;
  Shared* shared = nullptr;
};

// Queues this process has open, by lower-cased name.
std::map<std::string, Queue>& Open() {
  static std::map<std::string, Queue> queues;
  return queues;
}

CRITICAL_SECTION* TableLock() {
  static CRITICAL_SECTION cs;
  static bool made = [] {
    InitializeCriticalSection(&cs);
    return true;
  }();
  (void)made;
  return &cs;
}

std::string Key(const char* name) {
  std::string k;
  for (const char* p = name; *p; ++p) k += static_cast<char>(tolower(static_cast<unsigned char>(*p)));
  return k;
}

// Kernel object names may not hold backslashes: keep letters and digits,
// and tell names apart by a hash of the whole.
std::string ObjectName(const std::string& key, const char* kind) {
  uint32_t h = 5381;
  std::string safe;
  for (char c : key) {
    h = h * 33 + static_cast<unsigned char>(c);
    if (isalnum(static_cast<unsigned char>(c)) && safe.size() < 48) safe += c;
  }
  char tail[16];
  snprintf(tail, sizeof tail, "_%08lx", static_cast<unsigned long>(h));
  return std::string("TezMail") + kind + "_" + safe + tail;
}

Queue* Get(const char* name) {
  if (!name || !*name) return nullptr;
  std::string key = Key(name);
  auto& open = Open();
  auto it = open.find(key);
  if (it != open.end()) return &it->second;
  Queue q;
  q.mutex = CreateMutexA(nullptr, FALSE, ObjectName(key, "Lock").c_str());
  // The block lives in a file of the current folder, so that records stay
  // when every process that held the queue has ended. A process that opens
  // the queue while another holds it joins that one's block.
  std::string file = ObjectName(key, "Box") + ".mbx";
  HANDLE backing = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  q.mapping = CreateFileMappingA(backing, nullptr, PAGE_READWRITE, 0, sizeof(Shared),
                                 ObjectName(key, "Queue").c_str());
  if (!q.mapping && backing != INVALID_HANDLE_VALUE)  // no room for the file: memory only
    q.mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                   sizeof(Shared), ObjectName(key, "Queue").c_str());
  if (backing != INVALID_HANDLE_VALUE) CloseHandle(backing);
  if (q.mapping) q.shared = static_cast<Shared*>(MapViewOfFile(q.mapping, FILE_MAP_WRITE, 0, 0, 0));
  if (!q.mutex || !q.shared) {
    if (q.shared) UnmapViewOfFile(q.shared);
    if (q.mapping) CloseHandle(q.mapping);
    if (q.mutex) CloseHandle(q.mutex);
    return nullptr;
  }
  return &open.emplace(key, q).first->second;
}

HWND WindowOf(uint32_t window) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(window)); }

// Whether an owner still stands: its window exists and belongs to the
// process that registered it. A window handle of an owner that has ended
// may name another program's window by now.
bool OwnerStands(uint32_t window, uint32_t process) {
  HWND w = WindowOf(window);
  if (!w || !process || !IsWindow(w)) return false;
  DWORD windowProcess = 0;
  GetWindowThreadProcessId(w, &windowProcess);
  return windowProcess == process;
}

struct Owner {
  uint32_t window = 0, message = 0, process = 0;
};

class Locked {
 public:
  explicit Locked(Queue* q) : q_(q) {
    DWORD r = WaitForSingleObject(q->mutex, 5000);
    held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    Shared* s = q->shared;
    if (held_ && (s->magic != kMagic || s->capacity != kCapacity || s->head >= kCapacity ||
                  s->count > kCapacity)) {  // a new block (zeroed) or a damaged file
      q->shared->magic = kMagic;
      q->shared->capacity = kCapacity;
      q->shared->head = q->shared->count = 0;
    }
    if (held_ && s->ownerWindow && !OwnerStands(s->ownerWindow, s->ownerProcess))  // an owner that has ended
      s->ownerWindow = s->ownerMessage = s->ownerProcess = 0;
  }
  ~Locked() {
    if (held_) ReleaseMutex(q_->mutex);
  }
  bool held() const { return held_; }

 private:
  Queue* q_;
  bool held_;
};

void Notify(const Owner& owner) {
  if (OwnerStands(owner.window, owner.process))
    PostMessageA(WindowOf(owner.window), owner.message, 0, 0);
}

void Release(Queue& q) {
  UnmapViewOfFile(q.shared);
  CloseHandle(q.mapping);
  CloseHandle(q.mutex);
}

struct TableGuard {
  TableGuard() { EnterCriticalSection(TableLock()); }
  ~TableGuard() { LeaveCriticalSection(TableLock()); }
};

}  // namespace

int MailQueueCreate(const char* name, HWND window, UINT notifyMessage) {
  TableGuard table;
  Queue* q = Get(name);
  if (!q) return 0;
  uint32_t waiting;
  Owner owner;
  {
    Locked lock(q);
    if (!lock.held()) return 0;
    q->shared->ownerWindow = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    q->shared->ownerMessage = notifyMessage;
    q->shared->ownerProcess = GetCurrentProcessId();
    owner = {q->shared->ownerWindow, q->shared->ownerMessage, q->shared->ownerProcess};
    waiting = q->shared->count;
  }
  for (uint32_t i = 0; i < waiting; ++i) Notify(owner);
  return 1;
}

int MailQueueSend(const char* name, const MailMessage* mail) {
  if (!mail) return 0;
  TableGuard table;
  Queue* q = Get(name);
  if (!q) return 0;
  Owner owner;
  {
    Locked lock(q);
    if (!lock.held()) return 0;
    Shared* s = q->shared;
    if (s->count >= kCapacity) return 0;  // full: refused, nothing overwritten
    s->records[(s->head + s->count) % kCapacity] = *mail;
    ++s->count;
    owner = {s->ownerWindow, s->ownerMessage, s->ownerProcess};
  }
  Notify(owner);
  return 1;
}

int MailQueueTake(const char* name, MailMessage* mail) {
  if (!mail) return 0;
  TableGuard table;
  Queue* q = Get(name);
  if (!q) return 0;
  Locked lock(q);
  if (!lock.held()) return 0;
  Shared* s = q->shared;
  if (s->count == 0) return 0;
  *mail = s->records[s->head];
  s->head = (s->head + 1) % kCapacity;
  --s->count;
  return 1;
}

int MailQueueCount(const char* name) {
  TableGuard table;
  Queue* q = Get(name);
  if (!q) return 0;
  Locked lock(q);
  return lock.held() ? static_cast<int>(q->shared->count) : 0;
}

int MailQueueClose(const char* name) {
  if (!name) return 0;
  TableGuard table;
  auto& open = Open();
  auto it = open.find(Key(name));
  if (it == open.end()) return 0;
  {
    Locked lock(&it->second);
    if (lock.held() && it->second.shared->ownerProcess == GetCurrentProcessId()) {
      it->second.shared->ownerWindow = 0;
      it->second.shared->ownerMessage = 0;
      it->second.shared->ownerProcess = 0;
    }
  }
  Release(it->second);
  open.erase(it);
  return 1;
}
