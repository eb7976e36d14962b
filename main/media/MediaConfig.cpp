#include "MediaConfig.h"

#include "IniFiles2.h"
#include "SysUtils.h"

namespace {
template <typename T>
T Entry(HMODULE module, const char* name) {
  return module ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

bool IsFile(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

TMediaConfig::~TMediaConfig() {
  CloseMediaConfigDll();
  CloseMediaConfigDll2();
}

void TMediaConfig::BindMediaConfigDll(const std::string& library, const std::string& settingsFile,
                                      const std::string& section, HWND panel) {
  CloseMediaConfigDll();
  if (library.empty() || !IsFile(library)) return;
  HMODULE module = dlls_.GetModule(library);
  configInit_ = Entry<TInit>(module, "InitConfiguration");
  configClose_ = Entry<TClose>(module, "CloseConfiguration");
  saveParams_ = Entry<TParams>(module, "SaveParams");
  readParams_ = Entry<TParams>(module, "ReadParams");
  if (configInit_) configInit_(panel, settingsFile.c_str(), section.c_str());
}

void TMediaConfig::CloseMediaConfigDll() {
  if (configClose_) configClose_(0);
  configInit_ = nullptr;
  configClose_ = nullptr;
  saveParams_ = readParams_ = nullptr;
}

void TMediaConfig::ReadMediaConfigParams() {
  if (readParams_) readParams_();
}

void TMediaConfig::SaveMediaConfigParams() {
  try {
    if (saveParams_) saveParams_();
  } catch (...) {
  }
}

void TMediaConfig::BindMediaConfigDll2(const std::string& library,
                                       const std::string& settingsFile,
                                       const std::string& section, HWND panel) {
  CloseMediaConfigDll2();
  if (library.empty() || !IsFile(library)) return;
  HMODULE module = dlls_.GetModule(library);
  playerInit_ = Entry<TInit>(module, "InitConfiguration");
  playerClose_ = Entry<TClose>(module, "CloseConfiguration");
  if (playerInit_) playerInit_(panel, settingsFile.c_str(), section.c_str());
}

void TMediaConfig::CloseMediaConfigDll2() {
  if (playerClose_) playerClose_(0);
  playerInit_ = nullptr;
  playerClose_ = nullptr;
}

TMediaTypeView TMediaConfig::ShowMediaType(const std::string& dir, const std::string& section,
                                           HWND panel) {
  TMediaTypeView view;
  view.section = section;
  std::string settingsFile = dir + "\\TezParam.inx";
  TIniFile param(settingsFile);
  std::string images = dir + "\\" + param.ReadString("MediaTypes", "imagesPath", "..\\images\\");
  CreateDirectoryA(images.c_str(), nullptr);
  std::string image = param.ReadString(section, "image", "img3.bmp");
  int32_t usingComPort = param.ReadInteger(section, "mediaUsingComPort", 0);
  int32_t length = param.ReadInteger(section, "mediaLength", 30);
  view.configDll = param.ReadString(section, "configDll", "");
  view.playerDll = param.ReadString(section, "playerDll", "");
  view.note = param.ReadString(section, "note", "");
  CloseMediaConfigDll();
  CloseMediaConfigDll2();
  if (length < 0) length = 30;
  view.lengthText = length == 0 ? "Unlimited" : IntToStr(length);
  if (IsFile(images + image))
    view.imagePath = images + image;
  else if (IsFile(images + "img3.bmp"))
    view.imagePath = images + "img3.bmp";
  view.comPortVisible = usingComPort == 1;
  if (view.comPortVisible) {
    int32_t port = param.ReadInteger(section, "mediaComPort", 1);
    view.comPort = port < 0 || port > 8 ? 1 : port;
  }
  BindMediaConfigDll(view.configDll, settingsFile, section, panel);
  ReadMediaConfigParams();
  return view;
}
