// A run folder for the Recorder tests: settings, index files, a channel
// with its item file, wave files of constant sample values, and runs of
// the real Recorder.exe beside the test controller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct RunReports {
  std::vector<std::string> lines;  // the controller's log, in order
  bool Has(const std::string& line) const;
  int Count(const std::string& line) const;
  // Index of the first line equal to line, or -1.
  int Find(const std::string& line) const;
};

// (sample value, frames) runs of the left channel of a 44.1 kHz stereo file.
typedef std::vector<std::pair<int, uint32_t>> SampleRuns;

class RunFolder {
 public:
  // A fresh folder below the test's working folder, with settings for the
  // file medium, the opening, the closing, and one active channel.
  explicit RunFolder(const std::string& name);
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& relative) const { return m_path + "\\" + relative; }

  void Write(const std::string& relative, const std::string& text) const;
  std::string Read(const std::string& relative) const;
  // A 16-bit PCM wave file whose samples all hold value.
  void WriteWave(const std::string& relative, int value, double seconds, int rate = 44100,
                 int channels = 2) const;
  // The channel's item file with these item sections (without [Entry List]).
  void WriteItems(const std::vector<std::string>& sections) const;
  void SetParam(const std::string& section, const std::string& key, const std::string& value);

  // Runs the test controller (which starts and ends the Recorder) here.
  RunReports Run(const std::string& options = "") const;
  std::string Key(const std::string& file, const std::string& section, const std::string& key) const;
  std::string Recording() const;

 private:
  std::string m_path;
};

std::string BinFolder();
bool RunProcess(const std::string& commandLine, const std::string& folder, DWORD timeoutMs,
                DWORD* exitCode);
// Starts Recorder.exe in folder and waits for its window (null when none
// came); returns the process handle, or null.
HANDLE StartRecorder(const std::string& folder, HWND* window);
// The left channel of a 44.1 kHz stereo 16-bit wave file, and its runs.
std::vector<int16_t> LeftSamples(const std::string& path);
SampleRuns ReadRuns(const std::string& path);
// An item section of a file in the run's items folder.
std::string LocalItem(const std::string& file);
// The controller's log line of an item state report.
std::string ItemReport(int status, int number);
// Constant-value segments for a fixture of that length (in frames at 44.1 kHz).
uint32_t Frames(double seconds);
