// The switch of the preferred playback device for a run. This system has
// no Audio Properties sheet to drive, so the preference is set through the
// wave mapper; the switch reports success only when the wave mapper then
// names that device as preferred.
#include "RecorderDlg.h"

#include <mmsystem.h>

#include <mmddk.h>

namespace {

std::string DeviceName(UINT device) {
  WAVEOUTCAPSA caps = {};
  if (waveOutGetDevCapsA(device, &caps, sizeof caps) != MMSYSERR_NOERROR) return std::string();
  return caps.szPname;
}

int PreferredDevice() {
  DWORD device = DWORD(-1), flags = 0;
  if (waveOutMessage(reinterpret_cast<HWAVEOUT>(WAVE_MAPPER), DRVM_MAPPER_PREFERRED_GET,
                     reinterpret_cast<DWORD_PTR>(&device),
                     reinterpret_cast<DWORD_PTR>(&flags)) != MMSYSERR_NOERROR)
    return -1;
  return int(device);
}

}  // namespace

int CRecorderDlg::SwitchAudioDevice(const char* name) {
  LogF("SwitchAudioDevice(): -> %s", name ? name : "");
  if (!name) return 0;
  const int previous = PreferredDevice();
  const UINT count = waveOutGetNumDevs();
  for (UINT device = 0; device < count; ++device) {
    if (DeviceName(device) != name) continue;
    if (int(device) != previous) {
      // Wave mapper message 0x2016: set the preferred device.
      waveOutMessage(reinterpret_cast<HWAVEOUT>(WAVE_MAPPER), DRVM_MAPPER_PREFERRED_GET + 1,
                     device, 0);
    }
    if (PreferredDevice() != int(device)) break;
    m_prevAudioDevice = previous >= 0 ? DeviceName(UINT(previous)) : std::string();
    return 1;
  }
  return 0;
}

void CRecorderDlg::RestorePreferredAudio() {
  if (m_restoring) return;
  m_restoring = true;
  if (m_prevAudioDevice.empty()) {
    Log("RestorePreferredAudio() - m_prevAudioDevice.IsEmpty -> ignored");
    m_restoring = false;
    return;
  }
  std::string device = m_prevAudioDevice;
  if (device == "Brindale Wave Device" || device == "USB Audio Device") {
    std::string taken, usb, gameOrModem;
    const UINT count = waveOutGetNumDevs();
    for (UINT n = 0; n < count && taken.empty(); ++n) {
      const std::string candidate = DeviceName(n);
      if (candidate.empty() || candidate == "Brindale Wave Device") continue;
      const bool game = candidate.find("Game") != std::string::npos ||
                        candidate.find("Modem") != std::string::npos;
      const bool isUsb = candidate.find("USB Audio Device") != std::string::npos;
      if (!game && !isUsb) {
        LogF("RestorePreferredAudio() - change prevDevice: [%s] -> [%s]", device.c_str(),
             candidate.c_str());
        taken = candidate;
      } else {
        LogF("RestorePreferredAudio() - found [%s], trying to find better one",
             candidate.c_str());
        (game ? gameOrModem : usb) = candidate;
      }
    }
    device = !taken.empty() ? taken : !usb.empty() ? usb : !gameOrModem.empty() ? gameOrModem
                                                                                  : device;
  }
  LogF("RestorePreferredAudio() - switch to [%s]", device.c_str());
  if (!SwitchAudioDevice(device.c_str()))
    LogF("RestorePreferredAudio() - failed to restore [%s]", device.c_str());
  m_prevAudioDevice.clear();
  m_restoring = false;
}
