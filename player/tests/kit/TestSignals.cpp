#include <windows.h>

#include <math.h>
#include <stdio.h>

#include "TestKit.h"

namespace testkit {

std::vector<float> Pcm::Channel(int c) const {
  std::vector<float> out(Frames());
  for (size_t i = 0; i < out.size(); ++i) out[i] = samples[i * channels + c];
  return out;
}

Pcm MakeSignal(int rate, double seconds, const std::vector<std::vector<Tone>>& tones,
               bool chirp) {
  Pcm p;
  p.channels = static_cast<int>(tones.size());
  p.rate = rate;
  size_t n = static_cast<size_t>(rate * seconds);
  p.samples.resize(n * p.channels);
  const double pi = 3.14159265358979323846;
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / rate;
    for (int c = 0; c < p.channels; ++c) {
      double v = 0;
      for (const Tone& tone : tones[c]) v += tone.amplitude * sin(2 * pi * tone.hz * t);
      if (chirp) v += 0.1 * sin(2 * pi * (200 * t + 400 * t * t / seconds));
      p.samples[i * p.channels + c] = static_cast<int16_t>(lrint(v * 32767.0));
    }
  }
  return p;
}

bool WriteFile(const std::string& path, const void* data, size_t size) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(data, 1, size, f) == size;
  return fclose(f) == 0 && ok;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> data;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return data;
  uint8_t buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
  fclose(f);
  return data;
}

namespace {
// Unix path of a file for a host program that Wine starts.
std::string UnixPath(const std::string& path) {
  typedef char*(CDECL * Convert)(LPCWSTR);
  Convert convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  wchar_t full[MAX_PATH];
  char narrow[MAX_PATH];
  if (!convert || !GetFullPathNameA(path.c_str(), MAX_PATH, narrow, nullptr)) return path;
  MultiByteToWideChar(CP_ACP, 0, narrow, -1, full, MAX_PATH);
  char* unix = convert(full);
  if (!unix) return path;
  std::string out = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}
}  // namespace

// twolame is a program of the host system, which Wine starts by its Unix
// path. Wine does not wait for such a process, so the shell renames the
// finished file into place (or leaves a failure mark) and we wait for that.
bool EncodeLayer2(const Pcm& pcm, const std::string& out, char mode, int kbits,
                  const std::string& extra) {
  std::string raw = out + ".raw", failed = out + ".failed";
  if (!WriteFile(raw, pcm.samples.data(), pcm.samples.size() * 2)) return false;
  DeleteFileA(out.c_str());
  DeleteFileA(failed.c_str());
  std::string u = UnixPath(out), r = UnixPath(raw);
  char cmd[1024];
  snprintf(cmd, sizeof cmd,
           "/bin/sh -c \"(/usr/bin/twolame --quiet -r -s %d -N %d -m %c -b %d %s '%s' '%s.part'"
           " && mv '%s.part' '%s') || touch '%s.failed'; rm -f '%s'\"",
           pcm.rate, pcm.channels, mode, kbits, extra.c_str(), r.c_str(), u.c_str(), u.c_str(),
           u.c_str(), u.c_str(), r.c_str());
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int i = 0; i < 1200; ++i) {
    if (GetFileAttributesA(out.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    if (GetFileAttributesA(failed.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    Sleep(50);
  }
  return false;
}

Pcm CaptureSink::Interleaved(int channels, int rate) const {
  Pcm p;
  p.channels = channels;
  p.rate = rate;
  size_t n = pcm[0].size();
  if (channels == 2 && pcm[1].size() < n) n = pcm[1].size();
  p.samples.resize(n * channels);
  for (size_t i = 0; i < n; ++i)
    for (int c = 0; c < channels; ++c) p.samples[i * channels + c] = pcm[c][i];
  return p;
}

int FindDelay(const std::vector<float>& ref, const std::vector<float>& out, int maxLag) {
  int best = 0;
  double bestScore = -1e300;
  size_t span = ref.size() < 20000 ? ref.size() : 20000;
  size_t start = ref.size() > span + 2000 ? 2000 : 0;
  for (int lag = 0; lag <= maxLag; ++lag) {
    double score = 0;
    for (size_t i = start; i < start + span && i + lag < out.size(); ++i)
      score += double(ref[i]) * out[i + lag];
    if (score > bestScore) {
      bestScore = score;
      best = lag;
    }
  }
  return best;
}

double Snr(const std::vector<float>& ref, const std::vector<float>& out, int lag, int margin) {
  double signal = 0, noise = 0;
  for (size_t i = margin; i + margin < ref.size() && i + lag < out.size(); ++i) {
    double d = double(out[i + lag]) - ref[i];
    signal += double(ref[i]) * ref[i];
    noise += d * d;
  }
  if (noise == 0) return 200.0;
  return 10.0 * log10(signal / noise);
}

double ToneLevel(const std::vector<float>& x, int rate, double hz) {
  const double pi = 3.14159265358979323846;
  double w = 2 * pi * hz / rate, s1 = 0, s2 = 0, k = 2 * cos(w);
  for (float v : x) {
    double s = v + k * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  double power = s1 * s1 + s2 * s2 - k * s1 * s2;
  return 2.0 * sqrt(power > 0 ? power : 0) / (x.empty() ? 1 : x.size());
}

}  // namespace testkit
