// The mixer of the Recorder: the master and wave-out levels of the default
// playback device through the system mixer, kept at start and put back at
// the end of a run. Levels are 0..65535; a level that the system does not
// offer reads -1 and is never set.
#pragma once

#include <windows.h>

#include <mmsystem.h>

class CTezMixer {
 public:
  CTezMixer();
  ~CTezMixer();
  CTezMixer(const CTezMixer&) = delete;
  CTezMixer& operator=(const CTezMixer&) = delete;

  // Remembers the levels found now (the start values).
  void Remember();
  // Sets the run levels from fractions of each level's range; a negative
  // fraction leaves that level alone.
  void SetRunLevels(double master, double wave);
  // Puts back the start values when the run levels changed them.
  void Restore();
  bool Changed() const { return m_changed; }

 private:
  int ReadMaster();
  int ReadWave();
  void WriteMaster(int level);
  void WriteWave(int level);

  HMIXER m_mixer = nullptr;
  DWORD m_masterControl = 0;
  bool m_hasMaster = false;
  int m_startMaster = -1;
  int m_startWave = -1;
  bool m_changed = false;
};
