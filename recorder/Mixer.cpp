#include "Mixer.h"

#include <mmsystem.h>

CTezMixer::CTezMixer() {
  if (mixerOpen(&m_mixer, 0, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) {
    m_mixer = nullptr;
    return;
  }
  MIXERLINEA line = {};
  line.cbStruct = sizeof line;
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
  if (mixerGetLineInfoA(reinterpret_cast<HMIXEROBJ>(m_mixer), &line,
                        MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR)
    return;
  MIXERCONTROLA control = {};
  control.cbStruct = sizeof control;
  MIXERLINECONTROLSA controls = {};
  controls.cbStruct = sizeof controls;
  controls.dwLineID = line.dwLineID;
  controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
  controls.cControls = 1;
  controls.cbmxctrl = sizeof control;
  controls.pamxctrl = &control;
  if (mixerGetLineControlsA(reinterpret_cast<HMIXEROBJ>(m_mixer), &controls,
                            MIXER_GETLINECONTROLSF_ONEBYTYPE) == MMSYSERR_NOERROR) {
    m_masterControl = control.dwControlID;
    m_hasMaster = true;
  }
}

CTezMixer::~CTezMixer() {
  if (m_mixer) mixerClose(m_mixer);
}

int CTezMixer::ReadMaster() {
  if (!m_hasMaster) return -1;
  MIXERCONTROLDETAILS_UNSIGNED value = {};
  MIXERCONTROLDETAILS details = {};
  details.cbStruct = sizeof details;
  details.dwControlID = m_masterControl;
  details.cChannels = 1;
  details.cbDetails = sizeof value;
  details.paDetails = &value;
  if (mixerGetControlDetailsA(reinterpret_cast<HMIXEROBJ>(m_mixer), &details,
                              MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
    return -1;
  return int(value.dwValue & 0xFFFF);
}

void CTezMixer::WriteMaster(int level) {
  if (!m_hasMaster || level < 0) return;
  MIXERCONTROLDETAILS_UNSIGNED value = {DWORD(level)};
  MIXERCONTROLDETAILS details = {};
  details.cbStruct = sizeof details;
  details.dwControlID = m_masterControl;
  details.cChannels = 1;
  details.cbDetails = sizeof value;
  details.paDetails = &value;
  mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(m_mixer), &details,
                         MIXER_SETCONTROLDETAILSF_VALUE);
}

int CTezMixer::ReadWave() {
  DWORD volume = 0;
  if (waveOutGetNumDevs() == 0 ||
      waveOutGetVolume(reinterpret_cast<HWAVEOUT>(0), &volume) != MMSYSERR_NOERROR)
    return -1;
  return int(volume & 0xFFFF);
}

void CTezMixer::WriteWave(int level) {
  if (level < 0 || waveOutGetNumDevs() == 0) return;
  const DWORD both = DWORD(level) | (DWORD(level) << 16);
  waveOutSetVolume(reinterpret_cast<HWAVEOUT>(0), both);
}

void CTezMixer::Remember() {
  m_startMaster = ReadMaster();
  m_startWave = ReadWave();
  m_changed = false;
}

void CTezMixer::SetRunLevels(double master, double wave) {
  auto level = [](double fraction) {
    if (fraction < 0) fraction = 0;
    if (fraction > 1) fraction = 1;
    return int(fraction * 65535 + 0.5);
  };
  if (master >= 0 && m_startMaster >= 0) {
    WriteMaster(level(master));
    m_changed = true;
  }
  if (wave >= 0 && m_startWave >= 0) {
    WriteWave(level(wave));
    m_changed = true;
  }
}

void CTezMixer::Restore() {
  if (!m_changed) return;
  WriteMaster(m_startMaster);
  WriteWave(m_startWave);
  m_changed = false;
}
