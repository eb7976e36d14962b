// Window messages of the update check, posted by the controller to itself
// unless said otherwise.
#pragma once

#include <windows.h>

#include "ControlMessages.h"

constexpr UINT WM_TEZ_UPDATE_START = 1428;        // send the check request
constexpr UINT WM_TEZ_UPDATE_END = 1429;          // end the check (from the progress window)
// WM_TEZ_UPDATE_CANCEL (1430): abort the request, at every run start.
constexpr UINT WM_TEZ_UPDATE_SHOW = 1431;         // offer the upgrade
constexpr UINT WM_TEZ_UPDATE_RESPONSE = 1432;     // evaluate the reply
constexpr UINT WM_TEZ_USER_UPDATE_CHECK = 1436;   // the user's check (from the main program)
constexpr UINT WM_TEZ_UPDATE_OFFLINE = 1437;      // offline notice (from the main program)
