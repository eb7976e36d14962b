// Window messages between the controller, the main program, the Recorder
// and the device program.
#pragma once

#include <windows.h>

// Taken by the controller.
constexpr UINT WM_TEZ_START_SESSION = 1228;     // wParam: 0 record, 100 play all, 150 play item
constexpr UINT WM_TEZ_STOP_SESSION = 1237;
constexpr UINT WM_TEZ_CHANNELS_SAVED = 1277;    // wParam: mode
constexpr UINT WM_TEZ_RECORDER_REPORT = 5669;   // wParam: code, lParam: value
constexpr UINT WM_TEZ_RECORDER_COMMAND = 5769;  // 0 register (lParam window), 1 start, 2 stop, 3 kill
constexpr UINT WM_TEZ_RECORDER_TERMINATE = 5806;
constexpr UINT WM_TEZ_SETTINGS_CHANGED = 1227;
constexpr UINT WM_TEZ_MAIN_STARTED = 1248;
constexpr UINT WM_TEZ_DEVICE_STATE = 1164;      // wParam: 60 not ready, 525 ready
constexpr UINT WM_TEZ_OPEN_BASKET = 1474;
constexpr UINT WM_TEZ_MAIL_ARRIVED = 1724;
constexpr UINT WM_TEZ_SCHED_OK = 1225;
constexpr UINT WM_TEZ_SCHED_FAIL = 1226;
constexpr UINT WM_TEZ_SCHED_START = 1235;
constexpr UINT WM_TEZ_SCHED_FAIL_RETRY = 1236;
constexpr UINT WM_TEZ_CALLED = 1230;
constexpr UINT WM_TEZ_SHOW_INTRO = 1438;
constexpr UINT WM_TEZ_UPDATE_CANCEL = 1430;

// Sent to the main program.
constexpr UINT WM_TEZ_SAVE_CHANNELS = 1276;     // wParam: reply message, lParam: mode
constexpr UINT WM_TEZ_RECORDER_STATE = 1238;    // wParam: packed recorder state
constexpr UINT WM_TEZ_REFRESH_VIEW = 1247;
// The main program's view change and the device program's command share
// the number 1124; each goes only to its own program's window.
constexpr UINT WM_TEZ_CHANGE_VIEW = 1124;       // wParam: 0 full window, 1 basket

// Sent to the device program.
constexpr UINT WM_TEZ_DEVICE_COMMAND = 1124;    // wParam: 10 port (lParam), 20 stop, 510 enable
constexpr UINT WM_TEZ_DEVICE_REGISTER = 1134;   // wParam: controller window
constexpr UINT WM_TEZ_DEVICE_UNREGISTER = 1139;

// Report codes and values of the Recorder.
constexpr int kReportState = 1;
constexpr int kReportError = 6;
constexpr int kStateFinished = 1;
constexpr int kStateRunStarted = 2;
constexpr int kStateRecording = 3;
