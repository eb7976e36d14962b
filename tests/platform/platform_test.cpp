// What every later test takes for granted of the machine: windows on the
// private display, mailslots, and a wave-out device that writes to a file.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

TEST(Platform, WindowsCanBeCreated) {
  HWND w = CreateWindowA("STATIC", "platform probe", WS_OVERLAPPED, 0, 0, 10, 10,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(w, nullptr) << "no X display?";
  EXPECT_EQ(FindWindowA(nullptr, "platform probe"), w);
  DestroyWindow(w);
}

TEST(Platform, MailslotCarriesARecord) {
  const char* name = "\\\\.\\mailslot\\brindale_platform_probe";
  HANDLE server = CreateMailslotA(name, 0, 300, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  HANDLE client = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(client, INVALID_HANDLE_VALUE);
  char out[184];
  for (int i = 0; i < 184; ++i) out[i] = char(i);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(client, out, sizeof out, &n, nullptr));
  DWORD next = 0, count = 0;
  ASSERT_TRUE(GetMailslotInfo(server, nullptr, &next, &count, nullptr));
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(next, 184u);
  char in[184] = {};
  ASSERT_TRUE(ReadFile(server, in, sizeof in, &n, nullptr));
  EXPECT_EQ(n, 184u);
  EXPECT_EQ(memcmp(in, out, sizeof in), 0);
  CloseHandle(client);
  CloseHandle(server);
}

static long long sink_size() {
  const char* path = getenv("BRINDALE_WAVE_SINK");
  if (!path) return -1;
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &a)) return 0;
  return (static_cast<long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

TEST(Platform, WaveOutWritesIntoTheSink) {
  ASSERT_GT(waveOutGetNumDevs(), 0u);
  ASSERT_GE(sink_size(), 0) << "BRINDALE_WAVE_SINK not set";
  WAVEFORMATEX f = {};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = 2;
  f.nSamplesPerSec = 44100;
  f.wBitsPerSample = 16;
  f.nBlockAlign = 4;
  f.nAvgBytesPerSec = 44100 * 4;
  HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HWAVEOUT wo;
  ASSERT_EQ(waveOutOpen(&wo, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(done), 0,
                        CALLBACK_EVENT),
            MMSYSERR_NOERROR);
  std::vector<char> pcm(176400, 0);
  WAVEHDR h = {};
  h.lpData = pcm.data();
  h.dwBufferLength = static_cast<DWORD>(pcm.size());
  ASSERT_EQ(waveOutPrepareHeader(wo, &h, sizeof h), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(wo, &h, sizeof h), MMSYSERR_NOERROR);
  for (int i = 0; i < 100 && !(h.dwFlags & WHDR_DONE); ++i) WaitForSingleObject(done, 100);
  EXPECT_TRUE(h.dwFlags & WHDR_DONE);
  waveOutUnprepareHeader(wo, &h, sizeof h);
  waveOutClose(wo);
  CloseHandle(done);
  Sleep(200);
  // The sink starts a new file at each open of the device.
  EXPECT_GE(sink_size(), 176400);
}
