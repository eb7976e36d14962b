// Resource and control identifiers of the Recorder's dialog, and the
// window messages it handles.
#pragma once

#define IDD_RECORDER 100
#define IDC_LOG 1010
#define IDC_START 1012
#define IDC_CONNECT 1014
#define IDC_DISCONNECT 1015
#define IDC_DIAL_CHECK 1017
#define IDC_STOP 1018
#define IDC_MIXER 1019
#define IDC_SKIP 1020
#define IDC_ELAPSED 1030
#define IDC_RECORDED 1031
#define IDC_MEDIA_TIME 1032
#define IDC_MEDIA_LENGTH 1033
#define IDC_DIALER_TEXT 1034
#define IDC_CHANNEL_STATUS 1035
#define IDC_ITEM_STATUS 1036
#define IDC_PLAYER_TIME 1037

#ifndef RC_INVOKED
#include <windows.h>

enum : UINT {
  WM_TEZ_LOG_QUEUED = 5571,
  WM_TEZ_START = 5572,
  WM_TEZ_ERROR = 5574,
  WM_TEZ_OK = 5575,
  WM_TEZ_DEBUG = 5577,
  WM_TEZ_RECORDER_REPORT = 5669,
  WM_TEZ_RECORDER_COMMAND = 5769,
  WM_TEZ_POST_INIT = 5774,
  WM_TEZ_RECORDER_TERMINATE = 5806,
  WM_TEZ_STOP = 5807,
  WM_TEZ_SKIP = 5808,
  WM_TEZ_HIDE = 5810,
  kRunClockTimer = 5809,
  kRefusedCallTimer = 5811,  // a media call was refused: the run ends unless its error came
};

// Run steps: each a message the dialog posts to itself.
enum : UINT {
  STEP_LOAD_CHANNELS = 5770,
  STEP_SET_DIALER = 5771,
  STEP_CHANNEL_LOOP = 5779,
  STEP_INITIALIZE_MEDIA = 5780,
  STEP_NEXT_CHANNEL = 5781,
  STEP_CHANNEL_OPERATE = 5782,
  STEP_ITEM_LOOP = 5783,
  STEP_CHANNEL_HEADER_RESUME = 5784,
  STEP_CHANNEL_HEADER_PLAY = 5785,
  STEP_CHANNEL_HEADER_PAUSE = 5786,
  STEP_NEXT_ITEM = 5787,
  STEP_ITEM_OPERATORS_LOOP = 5788,
  STEP_NEXT_ITEM_OPERATOR = 5789,
  STEP_ITEM_PLAY_DIALER = 5790,
  STEP_ITEM_PLAY_RESUME = 5791,
  STEP_ITEM_PLAY = 5792,
  STEP_ITEM_PLAY_PAUSE = 5793,
  STEP_EDITION_HEADER_RESUME = 5794,
  STEP_EDITION_HEADER_MUSIC = 5795,
  STEP_EDITION_HEADER_MESSAGE = 5796,
  STEP_EDITION_HEADER_PAUSE = 5797,
  STEP_EDITION_FOOTER_RESUME = 5798,
  STEP_EDITION_FOOTER_MESSAGE = 5799,
  STEP_FINISH_DIALER = 5800,
  STEP_FINISH_MEDIA = 5801,
  STEP_RECORD_LOOP_FINISHED = 5802,
  STEP_ITEM_LOG = 5803,
  STEP_PRE_DISCONNECT = 5804,
  STEP_SEND_LOG_FINISHED = 5805,
};

// Report codes to the controller.
enum : int {
  TEZ_REPORT_STATE = 1,
  TEZ_REPORT_DIALER = 2,
  TEZ_REPORT_DIALER_STATUS = 3,
  TEZ_REPORT_CHANNEL = 4,
  TEZ_REPORT_ITEM = 5,
  TEZ_REPORT_ERROR = 6,
  TEZ_REPORT_ECHO = 7,
  TEZ_REPORT_ITEM_STATUS = 8,
  TEZ_REPORT_MEDIA_STATUS = 9,
  TEZ_REPORT_TOTALS = 10,
  TEZ_REPORT_CHANNEL_STATUS = 11,
};

// Run states, in this order.
enum ERunState : int {
  eStateMachineState_Idle = 0,
  eStateMachineState_InitializeMedia,
  eStateMachineState_PlayHeader,
  eStateMachineState_DialerConnect,
  eStateMachineState_ChannelOperator,
  eStateMachineState_ChannelHeader,
  eStateMachineState_ItemOperator,
  eStateMachineState_ItemPlayer,
  eStateMachineState_ItemLog,
  eStateMachineState_SendLog,
  eStateMachineState_DialerDisconnect,
  eStateMachineState_StopMedia,
  eStateMachineState_PlayFooter,
  eStateMachineState_Finishrecord,
  eStateMachineState_Error,
  eStateMachineState_NotDefined,
};

const char* RunStateName(int state);
#endif
