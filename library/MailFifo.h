// First-in first-out list of mail record copies, kept in blocks of ten
// records so that a burst of mail costs one allocation per ten records.
#pragma once

#include <cstddef>

#include "MailMessage.h"

class CMailFifo {
 public:
  CMailFifo() = default;
  CMailFifo(const CMailFifo&) = delete;
  CMailFifo& operator=(const CMailFifo&) = delete;
  ~CMailFifo() { Clear(); }

  void Push(const MailMessage& mail);
  // Moves the oldest record into out; false when empty.
  bool Pop(MailMessage* out);
  bool Empty() const { return m_size == 0; }
  size_t Size() const { return m_size; }
  void Clear();

 private:
  static constexpr int kBlockRecords = 10;
  struct Block {
    MailMessage records[kBlockRecords];
    Block* next;
  };

  Block* m_head = nullptr;  // oldest block, read from m_headIndex on
  Block* m_tail = nullptr;  // newest block, filled up to m_tailCount
  int m_headIndex = 0;
  int m_tailCount = 0;
  size_t m_size = 0;
};
