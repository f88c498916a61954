#pragma once
// Scripted answers of the common dialogs for the unit tests: a hook (installed
// when a test binary starts) stands in for the user. Each dialog takes the
// next answer; with none left, a dialog the display shows natively (file,
// colour, font, print) shows, and any other is cancelled. Every answered
// dialog is logged so tests can read what was asked.
#include <string>
#include <vector>

#include "platform/afx/common_dialog_hook.h"

struct CommonDialogRecord {
    std::string kind;      // "file-open", "file-save", "color", "font", "print-setup", "print", "find", "replace", "folder"
    std::string title;
    std::string initial;   // the proposed file name, folder, colour, ...
    int result;
};

void PushCommonDialogAnswer(CommonDialogAnswer answer);
bool HasCommonDialogAnswer();
void ClearCommonDialogAnswers();
std::vector<CommonDialogRecord> TakeCommonDialogLog();
