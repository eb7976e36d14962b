// The sound of a file the player plays, in the recording format, read as
// the playback goes: wave files through the wave reader, MPEG audio files
// (by their extension, or for a file of another extension by not being a
// wave file) through the frame decoder of the player library. Only a few
// frames are held at a time, however long the item.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CItemAudio {
 public:
  CItemAudio();
  ~CItemAudio();
  CItemAudio(const CItemAudio&) = delete;
  CItemAudio& operator=(const CItemAudio&) = delete;

  // False with a reason when the file is missing or holds no playable sound.
  bool Open(const std::string& path, std::string& error);
  // Appends up to `frames` recording frames to out; fewer only at the end.
  // Returns how many.
  size_t Read(size_t frames, std::vector<int16_t>& out);
  // Recording frames of the whole item (for MPEG audio, as its size tells).
  uint64_t TotalFrames() const;
  void Close();

  class Source;

 private:
  std::unique_ptr<Source> m_source;
  std::vector<int16_t> m_pending;  // read but not yet handed out
  size_t m_pendingAt = 0;          // samples of m_pending already handed out
};
