// Starting a program and waiting for it.
#pragma once

#include <windows.h>

#include <string>

// Starts commandLine with the show-window value; hands back the process
// handle and returns what WaitForInputIdle returns, or GetLastError when
// the program cannot be started.
DWORD WinExecAndWaitIdle(const std::string& commandLine, WORD showWindow, DWORD timeoutMs,
                         HANDLE& process);
// The same start; returns what waiting for the process to end returns.
DWORD WinExecAndWait(const std::string& commandLine, WORD showWindow, DWORD timeoutMs,
                     HANDLE& process);
