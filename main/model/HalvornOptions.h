// The main program's settings: folders, captions, sounds, links, the view
// and every user option, loaded from and saved to Halvorn.inx,
// TezParam.inx and TezItemOperators.inx in the current directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TSavePos;

class THalvornOptions {
 public:
  // Load (false) or save (true) the general settings and then the options.
  // False when the data file is missing from the data folder: the program
  // must end. A save before any load writes nothing.
  bool SerializeParameters(bool save);
  void SerializeOptionsParameters(bool save);
  // What the selected media type allows.
  void InitPlayerParams();
  // The daily recording time as an entry of the quarter-hour time list.
  int FullTimeEntry() const {
    return autoRecMin / 15 + autoRecHour * 4 + (autoRecAmPm == 1 ? 48 : 0);
  }
  bool Loaded() const { return loaded_; }

  // The data folder as a full path with its final "\".
  std::string DataFolderPath() const;
  // The volume as stored: (10 - track bar position) x 0.1.
  std::string VolumeText() const;

  // General settings.
  std::string dataFolder = "..\\Data\\", wavFolder = "..\\Wavs\\",
              tempWavFolder = "..\\Data\\Temp\\";
  std::string caption = "Brindale Media Manager";
  std::string linkDropWave = "LinkDrop.wav", linkAcceptWave = "LinkAccept.wav",
              linkRejectWave = "LinkReject.wav";
  std::string homePage, helpPage, updatePage, remarksUrl;
  std::string traceFileName;  // empty: no trace file
  bool traceToMailSlot = true;
  int32_t viewState = 1;       // 0 full window, 1 basket
  std::string posSection;      // the position component's section
  int32_t pendingDelay = 1;

  // Automatic recording.
  int32_t autoRecActive = 1, autoRecHour = 6, autoRecMin = 30, autoRecAmPm = 0,
          autoRecRetries = 3;
  // Media types.
  std::vector<std::string> mediaTypes;
  std::string selectedMediaType = "Virtual";
  int32_t mediaUsingComPort = 0;
  int32_t mediaComPort = 1;             // index into "(None)", "COM1" .. "COM8"
  std::string mediaLengthText = "30";   // minutes, or "Unlimited"
  // Connection.
  int32_t useDialer = 0;  // 1 dial-up, 2 none, 3 online service, else direct
  std::string dialerName, user, pwd;
  int32_t autoUpdateActive = 1;
  bool useProxy = false;
  std::string httpHost, httpPort = "80", ftpHost, ftpPort = "21";
  std::string httpTestUrl;
  int32_t volumePosition = 5;  // the vertical track bar: 10 - volume x 10
  // Sounds and sliding.
  std::string slideSound = "SlideSound.wav";
  std::string slideSoundPath;  // with the wave folder when given bare
  int32_t slideJumpLength = 20, slideNumJumps = 2, audioEffects = 1;
  int32_t optionPlayOpening = 1, audioTrap = 0;
  std::string startWithWinCmd = "pellomar.exe";
  int32_t startWithWindows = 1, autoOpenBasketOnStart = 1;
  // Notifications.
  int32_t shouldNotifyMinSpace = 0, shouldNotifyMaxSize = 0;
  std::string minSpaceText = "0", maxSizeText = "0";
  int32_t minRecSpace = 10;
  // Conversion and speech.
  int32_t numberOfLevels = 5, detailLevel = 2;
  int32_t liveStreamMinutes = 0;  // stored in seconds
  std::string ttsTestText = "This is a test";

  // The selected media type's player values.
  int32_t playerAvailable = 0, recButAvailable = 1, playButAvailable = 1,
          playItemButAvailable = 1;
  std::string disabledFormats, disabledText = "Can't be recorded", disabledImage;

  // The window's position component: a load gives it its section, slide
  // sound, hops and sound effects; a save stores its section.
  TSavePos* position = nullptr;

 private:
  bool loaded_ = false;
};

// A file of that name in the current directory.
std::string ProgramFile(const std::string& name);
