#pragma once
// Scripted answers of the common dialogs (file, colour, font, print setup,
// print, find/replace, folder). Without a display, a common dialog shows
// nothing and takes the next scripted answer (none: it is cancelled); every
// dialog is logged so tests can read what was asked. An answer with `drive`
// runs our own dialog instead, through the same modal loop as on screen.
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
    // Set: the framework runs our own dialog (modal, or modeless for find and
    // replace) and calls `drive` once with its window after it shows; the test
    // injects input there and the answer is what the dialog gives. The fields
    // above are then not read.
    std::function<void(HWND)> drive;
};

struct CommonDialogRecord {
    std::string kind;      // "file-open", "file-save", "color", "font", "print-setup", "print", "find", "folder"
    std::string title;
    std::string initial;   // the proposed file name, folder, colour, ...
    int result;
};

void PushCommonDialogAnswer(CommonDialogAnswer answer);
// Whether a scripted answer waits; without one an interactive display shows
// its native dialog.
bool HasCommonDialogAnswer();
// The native dialog when the display has one and no answer is scripted.
bool UseNativeCommonDialog();
void ClearCommonDialogAnswers();
std::vector<CommonDialogRecord> TakeCommonDialogLog();

// Takes the next answer for a dialog of `kind` and logs it; false (no answer
// left) means cancelled.
bool TakeCommonDialogAnswer(const std::string& kind, const std::string& title, const std::string& initial,
                            CommonDialogAnswer& answer);
// The result of the latest logged dialog, once a driven dialog has closed.
void SetLastCommonDialogResult(int result);
