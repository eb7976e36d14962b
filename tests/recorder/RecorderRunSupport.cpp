#include "RecorderRunSupport.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

bool RunReports::Has(const std::string& line) const { return Find(line) >= 0; }

int RunReports::Count(const std::string& line) const {
  int n = 0;
  for (const std::string& l : lines) n += l == line;
  return n;
}

int RunReports::Find(const std::string& line) const {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == line) return int(i);
  return -1;
}

std::string BinFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

static void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileA(child.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

static const char kParam[] =
    "[Folders]\r\ndataFolder=data\r\nwavFolder=wav\r\ntempFolder=temp\r\nfilesFolder=files\r\n"
    "[Recorder]\r\nlogFile=1\r\nstoreRecState=1\r\nplayOpening=1\r\nstartRecordMusic=music\r\n"
    "startCassetteMessage=hello\r\nendCassetteMessage=bye\r\n"
    "[Extensions]\r\ndefaultExtension=wav\r\n"
    "[Dialer]\r\nuseDialer=1\r\ndialerDll1=TezRasDialer.dll\r\n"
    "[Notifications]\r\nminRecSpace=1\r\n"
    "[MediaTypes]\r\nselectedMediaType=FileDisk\r\n"
    "[FileDisk]\r\ndllName=TezFileMedia.dll\r\nrecord2File=1\r\nplayerFormat=wav\r\n"
    "outputFolder=out\r\n";

RunFolder::RunFolder(const std::string& name) {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  m_path = std::string(cwd) + "\\" + name;
  RemoveTree(m_path);
  for (const char* folder : {"", "\\data", "\\data\\news", "\\wav", "\\items", "\\source"})
    CreateDirectoryA((m_path + folder).c_str(), nullptr);
  Write("TezParam.inx", kParam);
  Write("TezPlayers.inx",
        "[Entry List]\r\nnumberEntries=1\r\nentry1=TezWavPlayer.dll\r\n"
        "[TezWavPlayer.dll]\r\nid=wav\r\nidentifiers=wav,mp3,mp2\r\n");
  Write("TezItemOperators.inx",
        "[Entry List]\r\nnumberEntries=2\r\nentry1=RecPeerFetch.dll\r\nentry2=RecPeerLog.dll\r\n"
        "[RecPeerFetch.dll]\r\nid=fetch\r\nidentifiers=peer\r\n"
        "[RecPeerLog.dll]\r\nid=log\r\nidentifiers=actLog\r\n");
  Write("TezChannelOperators.inx",
        "[Entry List]\r\nnumberEntries=1\r\nentry1=TezChannelOp.dll\r\n"
        "[TezChannelOp.dll]\r\nid=channel\r\nidentifiers=channel\r\n");
  Write("data\\TezData.inx",
        "[Entry List]\r\nnumberEntries=1\r\nentry1=1\r\n"
        "[1]\r\nname=News\r\nactive=1\r\nworkingDir=news\\\r\niniFile=news.inx\r\n"
        "dllName=TezChannelOp.dll\r\n");
  WriteWave("wav\\music.wav", 100, 0.2);
  WriteWave("wav\\hello.wav", 200, 0.2);
  WriteWave("wav\\bye.wav", 300, 0.2);
}

void RunFolder::Write(const std::string& relative, const std::string& text) const {
  std::ofstream out(File(relative), std::ios::binary);
  out << text;
}

std::string RunFolder::Read(const std::string& relative) const {
  std::ifstream in(File(relative), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

static void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char(v >> (8 * i));
}
static void Put16(std::string& s, uint16_t v) {
  s += char(v);
  s += char(v >> 8);
}

void RunFolder::WriteWave(const std::string& relative, int value, double seconds, int rate,
                          int channels) const {
  const uint32_t frames = uint32_t(seconds * rate);
  const uint32_t bytes = frames * channels * 2;
  std::string w = "RIFF";
  Put32(w, 36 + bytes);
  w += "WAVEfmt ";
  Put32(w, 16);
  Put16(w, 1);
  Put16(w, uint16_t(channels));
  Put32(w, uint32_t(rate));
  Put32(w, uint32_t(rate * channels * 2));
  Put16(w, uint16_t(channels * 2));
  Put16(w, 16);
  w += "data";
  Put32(w, bytes);
  for (uint32_t i = 0; i < frames * uint32_t(channels); ++i) Put16(w, uint16_t(value));
  Write(relative, w);
}

void RunFolder::WriteItems(const std::vector<std::string>& sections) const {
  std::string text = "[Entry List]\r\nnumberEntries=" + std::to_string(sections.size()) +
                     "\r\nmaxIndex=" + std::to_string(sections.size()) + "\r\n";
  for (size_t i = 0; i < sections.size(); ++i)
    text += "[" + std::to_string(i + 1) + "]\r\n" + sections[i];
  Write("data\\news\\news.inx", text);
}

void RunFolder::SetParam(const std::string& section, const std::string& key,
                         const std::string& value) {
  WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                             File("TezParam.inx").c_str());
}

std::string RunFolder::Key(const std::string& file, const std::string& section,
                           const std::string& key) const {
  char value[512] = {};
  GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, sizeof value,
                           File(file).c_str());
  return value;
}

std::string RunFolder::Recording() const { return Key("TezParam.inx", "FileDisk", "lastRecording"); }

bool RunProcess(const std::string& commandLine, const std::string& folder, DWORD timeoutMs,
                DWORD* exitCode) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &process))
    return false;
  const bool ended = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 99);
  GetExitCodeProcess(process.hProcess, exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended;
}

RunReports RunFolder::Run(const std::string& options) const {
  RunReports reports;
  DWORD code = 0;
  const std::string log = File("controller.log");
  RunProcess("\"" + BinFolder() + "RecTestController.exe\" \"" + log + "\" " + options, m_path,
             120000, &code);
  std::istringstream text(Read("controller.log"));
  std::string line;
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    reports.lines.push_back(line);
  }
  return reports;
}

HANDLE StartRecorder(const std::string& folder, HWND* window) {
  *window = nullptr;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string line = "\"" + BinFolder() + "Recorder.exe\"";
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &process))
    return nullptr;
  CloseHandle(process.hThread);
  for (int i = 0; i < 200 && !*window; ++i) {
    Sleep(50);
    *window = FindWindowA(nullptr, "Recorder");
  }
  return process.hProcess;
}

uint32_t Frames(double seconds) { return uint32_t(seconds * 44100); }

std::vector<int16_t> LeftSamples(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> left;
  for (size_t at = 44; at + 4 <= bytes.size(); at += 4)
    left.push_back(int16_t(uint8_t(bytes[at]) | (uint8_t(bytes[at + 1]) << 8)));
  return left;
}

SampleRuns ReadRuns(const std::string& path) {
  SampleRuns runs;
  for (const int value : LeftSamples(path)) {
    if (!runs.empty() && runs.back().first == value)
      ++runs.back().second;
    else
      runs.emplace_back(value, 1);
  }
  return runs;
}

std::string LocalItem(const std::string& file) {
  return "localFileName=items\\" + file + "\r\nrecStatus=1\r\nitemStatus=1\r\ntype=basic\r\n";
}

std::string ItemReport(int status, int number) {
  return "W 5 " + std::to_string((status << 16) | number);
}
