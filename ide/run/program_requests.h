#pragma once
// The messages between a program's thread and the view that shows its text.
// The thread owns no windows: what it shows goes to the view recorded at run
// start, and the GUI decides there (the stop flag may have come meanwhile).
#include "platform/types.h"

// The refresh message the program thread sends.
constexpr UINT WM_VELDRA_REFRESH = WM_USER + 400;
// The debugger's questions from the program thread (lParam: a statement).
constexpr UINT WM_VELDRA_SHOW_STATEMENT = WM_USER + 501;
constexpr UINT WM_VELDRA_IS_BREAKPOINT = WM_USER + 503;
// wParam: a program, lParam: where to store the view that shows its source.
constexpr UINT WM_VELDRA_FIND_VIEW = WM_USER + 510;
// The program thread's requests for boxes and the foreground (registered).
inline constexpr const char* kProgramRequestName = "VeldraProgramRequest";
UINT ProgramRequestMessage();

// What a request of ProgramRequestMessage() asks for (its wParam).
enum ProgramRequest : WPARAM {
    REQUEST_ERROR_BOX = 1,
    REQUEST_NO_SOURCE_BOX = 2,
    REQUEST_FOREGROUND = 3,
    REQUEST_GIVE_BACK = 4,
};
