#pragma once
// Message boxes. Headless, a box shows nothing and answers at once: with the
// next scripted answer, else with its default button.
#include "platform/types.h"
#include <string>
#include <vector>

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_CANCELTRYCONTINUE 0x00000006u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONERROR 0x00000010u
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONWARNING 0x00000030u
#define MB_ICONEXCLAMATION MB_ICONWARNING
#define MB_ICONINFORMATION 0x00000040u
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_DEFBUTTON4 0x00000300u
#define MB_DEFMASK 0x00000F00u
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDTRYAGAIN 10
#define IDCONTINUE 11

// A null caption shows "Error".
int MessageBox(HWND owner, const char* text, const char* caption, UINT type);

// Test script: answers are taken in order, by any thread.
void PushMessageBoxAnswer(int answer);
void ClearMessageBoxAnswers();

struct MessageBoxRecord {
    std::string text;
    std::string caption;
    UINT type;
    int answer;
};
// The boxes shown since the last call.
std::vector<MessageBoxRecord> TakeMessageBoxLog();
