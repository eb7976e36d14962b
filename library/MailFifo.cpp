#include "MailFifo.h"

void CMailFifo::Push(const MailMessage& mail) {
  if (!m_tail || m_tailCount == kBlockRecords) {
    Block* block = new Block;
    block->next = nullptr;
    if (m_tail)
      m_tail->next = block;
    else
      m_head = block;
    m_tail = block;
    m_tailCount = 0;
  }
  m_tail->records[m_tailCount++] = mail;
  ++m_size;
}

bool CMailFifo::Pop(MailMessage* out) {
  if (m_size == 0) return false;
  *out = m_head->records[m_headIndex++];
  --m_size;
  if (m_size == 0) {
    // Keep the one block for the next burst, read and filled from its start.
    while (m_head != m_tail) {
      Block* next = m_head->next;
      delete m_head;
      m_head = next;
    }
    m_headIndex = m_tailCount = 0;
  } else if (m_headIndex == kBlockRecords) {
    Block* next = m_head->next;
    delete m_head;
    m_head = next;
    m_headIndex = 0;
  }
  return true;
}

void CMailFifo::Clear() {
  while (m_head) {
    Block* next = m_head->next;
    delete m_head;
    m_head = next;
  }
  m_tail = nullptr;
  m_headIndex = m_tailCount = 0;
  m_size = 0;
}
