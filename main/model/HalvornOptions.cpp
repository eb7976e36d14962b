#include "HalvornOptions.h"

#include <cstdio>
#include <cstdlib>

#include "ContentSection.h"
#include "IniFiles2.h"
#include "SavePos.h"
#include "Utils.h"

namespace {
const char* const DefaultHost = "http://www.brindale.example";

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

int32_t OneIfSet(int32_t v) { return v != 0 ? 1 : 0; }

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return ExtractFilePath(path);
}

std::string WithSlash(const std::string& folder) {
  return folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
}
}  // namespace

std::string ProgramFile(const std::string& name) { return GetCurrentDir() + "\\" + name; }

std::string THalvornOptions::DataFolderPath() const {
  return GetCurrentDir() + "\\" + WithSlash(dataFolder);
}

bool THalvornOptions::SerializeParameters(bool save) {
  if (save && !loaded_) return true;
  TIniFile halvorn(ProgramFile("Halvorn.inx"));
  TIniFile param(ProgramFile("TezParam.inx"));

  dataFolder = param.ReadString("Folders", "dataFolder", "..\\Data\\");
  wavFolder = param.ReadString("Folders", "wavFolder", "..\\Wavs\\");
  tempWavFolder = param.ReadString("Folders", "tempWavFolder", "..\\Data\\Temp\\");
  caption = param.ReadString("GlobalParams", "halvornCaption", "Brindale Media Manager");
  linkDropWave = halvorn.ReadString("Wavs", "linkDropWave", "LinkDrop.wav");
  linkAcceptWave = halvorn.ReadString("Wavs", "linkAcceptWave", "LinkAccept.wav");
  linkRejectWave = halvorn.ReadString("Wavs", "linkRejectWave", "LinkReject.wav");
  homePage = param.ReadString("Links", "homePage", std::string(DefaultHost) + "/");
  helpPage = param.ReadString(
      "Links", "helpPage",
      std::string(DefaultHost) +
          "/cgi-bin/CssP.exe?CsspApp=BrindaleClient&CsspFn=@Help.html:@:getForm");
  updatePage = param.ReadString("Links", "updatePage", std::string(DefaultHost) + "/update.html");
  remarksUrl = param.ReadString("Links", "remarksUrl",
                                std::string(DefaultHost) + "/remarks.html?id=%s&ver=%s");
  traceFileName = halvorn.ReadInteger("Params", "logToFile", 1) != 0
                      ? halvorn.ReadString("Params", "logFileName", "")
                      : "";
  traceToMailSlot = halvorn.ReadInteger("Params", "logToMailSlot", 1) != 0;

  if (!FileExists(DataFolderPath() + "TezData.inx")) return false;
  CreateFolder(GetCurrentDir() + "\\" + wavFolder);

  if (position) posSection = position->SectionName;
  if (save) {
    halvorn.WriteInteger("Params", "windowState", viewState);
    halvorn.WriteString("Params", "posSection", posSection);
  } else {
    viewState = halvorn.ReadInteger("Params", "windowState", 1);
    std::string stored = halvorn.ReadString("Params", "posSection", posSection);
    // An empty name would leave the position nowhere to be kept.
    if (!stored.empty()) posSection = stored;
    if (position && !posSection.empty()) position->SectionName = posSection;
    pendingDelay = param.ReadInteger("DragDrop", "pendingDelay", 1);
  }
  SerializeOptionsParameters(save);
  loaded_ = true;
  return true;
}

void THalvornOptions::SerializeOptionsParameters(bool save) {
  if (save && !loaded_) return;
  TIniFile halvorn(ProgramFile("Halvorn.inx"));
  TIniFile param(ProgramFile("TezParam.inx"));
  TIniFile operators(ProgramFile("TezItemOperators.inx"));

  if (save) {
    param.WriteInteger("AutoUpdate", "active", autoRecActive);
    param.WriteInteger("AutoUpdate", "hour", autoRecHour);
    param.WriteInteger("AutoUpdate", "min", autoRecMin);
    param.WriteInteger("AutoUpdate", "amPm", autoRecAmPm);
    param.WriteInteger("AutoUpdate", "retries", autoRecRetries);
  } else {
    autoRecActive = param.ReadInteger("AutoUpdate", "active", 1);
    autoRecHour = param.ReadInteger("AutoUpdate", "hour", 6);
    // Twelve o'clock is stored as 0; other values outside the clock give the default.
    if (autoRecHour == 12) autoRecHour = 0;
    if (autoRecHour < 0 || autoRecHour > 11) autoRecHour = 6;
    autoRecMin = param.ReadInteger("AutoUpdate", "min", 30);
    autoRecAmPm = param.ReadInteger("AutoUpdate", "amPm", 0);
    autoRecRetries = param.ReadInteger("AutoUpdate", "retries", 3);
  }

  int32_t mediaCount = param.ReadInteger("MediaTypes", "count", 0);
  if (save) {
    if (mediaCount > 0) {
      param.WriteString("MediaTypes", "selectedMediaType", selectedMediaType);
      mediaUsingComPort = param.ReadInteger(selectedMediaType, "mediaUsingComPort", 0);
      if (mediaUsingComPort == 1)
        param.WriteInteger(selectedMediaType, "mediaComPort", mediaComPort);
      int32_t minutes = 30;
      if (SameText(Trim(mediaLengthText), "UNLIMITED"))
        minutes = 0;
      else if (!TryStrToInt(Trim(mediaLengthText), minutes))
        minutes = 30;
      param.WriteInteger(selectedMediaType, "mediaLength", minutes);
    }
  } else {
    mediaTypes.clear();
    for (int i = 1; i <= mediaCount; ++i)
      mediaTypes.push_back(param.ReadString("MediaTypes", Format("recor%3.3d", i), ""));
    selectedMediaType = param.ReadString("MediaTypes", "selectedMediaType", "Virtual");
    if (selectedMediaType.empty()) selectedMediaType = "Virtual";
    mediaUsingComPort = param.ReadInteger(selectedMediaType, "mediaUsingComPort", 0);
    mediaComPort = param.ReadInteger(selectedMediaType, "mediaComPort", 1);
    if (mediaComPort < 0 || mediaComPort > 8) mediaComPort = 1;
    int32_t minutes = param.ReadInteger(selectedMediaType, "mediaLength", 30);
    if (minutes < 0) minutes = 30;
    mediaLengthText = minutes == 0 ? "Unlimited" : IntToStr(minutes);
  }

  if (save) {
    param.WriteInteger("Dialer", "useDialer", useDialer);
    if (useDialer == 1) {
      param.WriteString("Dialer", "dialerName", dialerName);
      param.WriteString("Dialer", "user", user);
      // A character that would be stored as NUL, CR or LF cannot be kept in
      // the file: the stored password stays as it was then.
      bool storable = true;
      for (unsigned char c : pwd) {
        unsigned char stored = c ^ 0x9E;
        storable = storable && stored != 0 && stored != '\r' && stored != '\n';
      }
      if (storable) param.WriteString("Dialer", "pwd", ScramblePassword(pwd));
    }
    param.WriteInteger("Update", "autoUpdateActive", autoUpdateActive);
    param.WriteInteger("Proxies", "useProxy", useProxy ? 1 : 0);
    param.WriteString("Proxies", "httpHost", useProxy ? httpHost : "");
    param.WriteString("Proxies", "httpPort", useProxy ? httpPort : "80");
    param.WriteString("Proxies", "ftpHost", useProxy ? ftpHost : "");
    param.WriteString("Proxies", "ftpPort", useProxy ? ftpPort : "21");
    param.WriteString("Recorder", "masterVolume", VolumeText());
    param.WriteString("Recorder", "wavOutVolume", VolumeText());
  } else {
    useDialer = param.ReadInteger("Dialer", "useDialer", 0);
    dialerName = param.ReadString("Dialer", "dialerName", "");
    user = param.ReadString("Dialer", "user", "");
    pwd = ScramblePassword(param.ReadString("Dialer", "pwd", ""));
    autoUpdateActive = param.ReadInteger("Update", "autoUpdateActive", 1);
    useProxy = param.ReadInteger("Proxies", "useProxy", 0) != 0;
    httpHost = param.ReadString("Proxies", "httpHost", "");
    httpPort = param.ReadString("Proxies", "httpPort", "80");
    ftpHost = param.ReadString("Proxies", "ftpHost", "");
    ftpPort = param.ReadString("Proxies", "ftpPort", "21");
    httpTestUrl =
        param.ReadString("Links", "httpTestUrl", std::string(DefaultHost) + "/testinifile.html");
    std::string volume = param.ReadString("Recorder", "masterVolume", "0.5");
    char* end = nullptr;
    double v = std::strtod(volume.c_str(), &end);
    if (end == volume.c_str()) v = 0.5;
    int tenths = static_cast<int>(v * 10.0 + 1e-9);
    tenths = tenths < 0 ? 0 : tenths > 10 ? 10 : tenths;
    volumePosition = 10 - tenths;
  }

  if (save) {
    halvorn.WriteString("Params", "slideSound", slideSound);
    halvorn.WriteInteger("Params", "slideNumJumps", slideNumJumps);
    halvorn.WriteInteger("Params", "audioEffects", audioEffects);
    param.WriteInteger("Recorder", "optionPlayOpening", optionPlayOpening);
    param.WriteInteger("Recorder", "audioTrap", audioTrap);
    halvorn.WriteInteger("Params", "startWithWindows", startWithWindows);
    param.WriteInteger("DragDrop", "autoOpenBasketOnStart", autoOpenBasketOnStart);
    param.WriteInteger("Notifications", "shouldNotifyMinSpace", shouldNotifyMinSpace ? 1 : 0);
    param.WriteInteger("Notifications", "MinSpace", StrToIntDef(minSpaceText, 0));
    param.WriteInteger("Notifications", "shouldNotifyMaxSize", shouldNotifyMaxSize ? 1 : 0);
    param.WriteInteger("Notifications", "MaxSize", StrToIntDef(Trim(maxSizeText), 0));
    operators.WriteInteger("TezHtmlConvert.dll", "detailLevel", detailLevel);
    param.WriteInteger("Recorder", "maxItemLength", liveStreamMinutes * 60);
  } else {
    slideSound = halvorn.ReadString("Params", "slideSound", "SlideSound.wav");
    slideSoundPath = slideSound.find('\\') == std::string::npos
                         ? GetCurrentDir() + "\\" + WithSlash(wavFolder) + slideSound
                         : slideSound;
    slideJumpLength = halvorn.ReadInteger("Params", "slideJumpLength", 20);
    slideNumJumps = halvorn.ReadInteger("Params", "slideNumJumps", 2);
    if (slideNumJumps < 0) slideNumJumps = 2;
    audioEffects = OneIfSet(halvorn.ReadInteger("Params", "audioEffects", 1));
    optionPlayOpening = OneIfSet(param.ReadInteger("Recorder", "optionPlayOpening", 1));
    audioTrap = OneIfSet(param.ReadInteger("Recorder", "audioTrap", 0));
    startWithWinCmd = halvorn.ReadString("Params", "startWithWinCmd", "pellomar.exe");
    startWithWindows = OneIfSet(halvorn.ReadInteger("Params", "startWithWindows", 1));
    autoOpenBasketOnStart = OneIfSet(param.ReadInteger("DragDrop", "autoOpenBasketOnStart", 1));
    shouldNotifyMinSpace = param.ReadInteger("Notifications", "shouldNotifyMinSpace", 0);
    minSpaceText = IntToStr(param.ReadInteger("Notifications", "MinSpace", 0));
    shouldNotifyMaxSize = param.ReadInteger("Notifications", "shouldNotifyMaxSize", 0);
    maxSizeText = IntToStr(param.ReadInteger("Notifications", "MaxSize", 0));
    minRecSpace = param.ReadInteger("Notifications", "minRecSpace", 10);
    numberOfLevels = operators.ReadInteger("TezHtmlConvert.dll", "numberOfLevels", 5);
    detailLevel = operators.ReadInteger("TezHtmlConvert.dll", "detailLevel", 2);
    if (detailLevel < 1 || detailLevel > numberOfLevels) detailLevel = 2;
    int32_t seconds = param.ReadInteger("Recorder", "maxItemLength", 30);
    if (seconds < 1) seconds = 30;
    liveStreamMinutes = seconds / 60;
    ttsTestText = halvorn.ReadString("Params", "ttsTestText", "This is a test");
    if (position) {
      position->SlideSound = slideSoundPath;
      position->NumJumps = slideNumJumps;
      position->SoundEffects = audioEffects == 1;
    }
  }

  if (save) {
    if (startWithWindows)
      SetAutoStart("\"" + ProgramFolder() + startWithWinCmd + "\" /GETDIR", true);
    else
      SetAutoStart(startWithWinCmd, false);
  }
}

std::string THalvornOptions::VolumeText() const {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", (10 - volumePosition) * 0.1);
  return text;
}

void THalvornOptions::InitPlayerParams() {
  TIniFile param(ProgramFile("TezParam.inx"));
  const std::string& media = selectedMediaType;
  playerAvailable = param.ReadInteger(media, "playerAvailable", 0);
  recButAvailable = OneIfSet(param.ReadInteger(media, "recButAvailable", 1));
  playButAvailable = OneIfSet(param.ReadInteger(media, "playButAvailable", 1));
  disabledFormats = UpperCase(param.ReadString(media, "disabledFormats", ""));
  disabledText = param.ReadString(media, "disabledText", "Can't be recorded");
  disabledImage =
      param.ReadString(media, ColourDepth() >= 16 ? "disabledImg16" : "disabledImg4", "");
  playItemButAvailable = OneIfSet(param.ReadInteger(media, "playItemButAvailable", 1));
}
