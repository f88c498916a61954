#pragma once
// The common dialogs (file, colour, font, print setup, print, find/replace,
// folder) show a real dialog: the display's native one where it has one,
// else ours. One hook may stand in for the user: unit tests install it to
// answer or drive the dialogs; the program never installs one.
#include <functional>
#include <string>
#include <vector>

#include "platform/types.h"

struct CommonDialogAnswer {
    int result = 1;                       // IDOK or IDCANCEL
    std::vector<std::string> paths;       // file dialogs (several with multi-select), folder
    COLORREF color = 0;                   // colour dialog
    std::string text;                     // font face, printer name, find text
    int number = 0;                       // font size (points), copies, ...
    int orientation = 0;                  // print dialogs: 0 keeps, 1 portrait, 2 landscape
    // Set: our own dialog runs (modal, or modeless for find and replace) and
    // `drive` is called once with its window after it shows; the answer is
    // what the dialog gives. The fields above are then not read.
    std::function<void(HWND)> drive;
};

// What a dialog is about to ask: kind is "file-open", "file-save", "color",
// "font", "print-setup", "print", "find", "replace" or "folder"; initial the
// proposed file name, folder, colour, face, ...
struct CommonDialogRequest {
    std::string kind;
    std::string title;
    std::string initial;
};

class CCommonDialogHook {
public:
    virtual ~CCommonDialogHook() = default;
    // True: `answer` stands for the user's; false: the real dialog shows.
    virtual bool Answer(const CommonDialogRequest& request, CommonDialogAnswer& answer) = 0;
    // A driven dialog has closed with 1 (OK) or 2 (cancelled).
    virtual void Closed(int result) = 0;
};

// Null removes it. Any thread; the hook is called on the dialog's thread.
void SetCommonDialogHook(CCommonDialogHook* hook);
// The hook's answer for the request, when one is installed and answers.
bool AskCommonDialogHook(const CommonDialogRequest& request, CommonDialogAnswer& answer);
void TellCommonDialogHookClosed(int result);
