#include "MailBurst.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

struct Burst {
  const char* mailslot;
  int count;
  unsigned seed;
  volatile LONG written = 0;
};

DWORD WINAPI Write(LPVOID arg) {
  Burst& burst = *static_cast<Burst*>(arg);
  HANDLE slot = CreateFileA(burst.mailslot, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (slot == INVALID_HANDLE_VALUE) return 1;
  std::mt19937 random(burst.seed);
  std::vector<unsigned char> block(400);
  for (int i = 0; i < burst.count; ++i) {
    // Half are records of the right size whose fields are wrong.
    const DWORD size = i % 2 ? 184 : random() % 401;
    for (auto& b : block) b = static_cast<unsigned char>(random());
    if (size == 184) {
      const int32_t fields[] = {static_cast<int32_t>(random()),
                                static_cast<int32_t>(random() % 3 ? random() : random() % 7000),
                                static_cast<int32_t>(random() % 40) - 20};
      std::memcpy(block.data(), fields, sizeof fields);
      const int32_t textLength = static_cast<int32_t>(random() % 600) - 200;
      std::memcpy(block.data() + 52, &textLength, sizeof textLength);
    }
    DWORD done = 0;
    if (!WriteFile(slot, block.data(), size, &done, nullptr) || done != size) break;
    InterlockedIncrement(&burst.written);
  }
  CloseHandle(slot);
  return 0;
}

}  // namespace

bool SendMalformedBurst(const char* mailslot, int count, unsigned seed, DWORD ms) {
  // The burst lives on the heap: a writer that waits for ever outlives us.
  auto* burst = new Burst{mailslot, count, seed};
  HANDLE thread = CreateThread(nullptr, 0, Write, burst, 0, nullptr);
  if (!thread) return false;
  const bool ended = WaitForSingleObject(thread, ms) == WAIT_OBJECT_0;
  CloseHandle(thread);
  const bool all = ended && burst->written == count;
  if (ended) delete burst;
  return all;
}
