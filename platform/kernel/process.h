#pragma once
// Child processes.
#include "platform/types.h"

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;   // always null: the child's threads are not ours
    DWORD dwProcessId;
    DWORD dwThreadId;
};

// Starts the program at path (posix_spawn, inheriting the environment). The
// command line is split at blanks, double quotes grouping; when it is null or
// empty the program gets only its path as argument 0. The process handle is
// signalled when the child ends. Failure: FALSE with ERROR_FILE_NOT_FOUND or
// ERROR_ACCESS_DENIED.
BOOL CreateProcess(const char* path, const char* commandLine, PROCESS_INFORMATION* info);
// STILL_ACTIVE while running; else the exit status, or 128 + signal.
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode);
// Kills the child; its exit code then reads as the given one.
BOOL TerminateProcess(HANDLE process, UINT exitCode);
