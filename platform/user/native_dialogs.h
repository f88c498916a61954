#pragma once
// Native dialogs of the interactive display: file open/save, colour, font and
// message boxes. Each is modal over its owner's top-level window (disabled
// meanwhile) while the caller waits serving the messages sent to it. Without
// an interactive display they answer kNativeNotAvailable and the caller uses
// its own stand-in.
#include <string>
#include <vector>

#include "platform/port/backend.h"
#include "platform/gdi/gdi.h"

constexpr int kNativeNotAvailable = -1;
constexpr int kNativeCancelled = 0;
constexpr int kNativeAccepted = 1;

enum class NativeDialogKind { OpenFile, SaveFile, Color, Font, MessageBox };

struct CNativeDialog {
    NativeDialogKind kind = NativeDialogKind::OpenFile;
    HWND owner = nullptr;
    std::string title;
    // Files: filters as "Name (*.ext *.ext2)"; a default extension added to a
    // saved name without one; several files for open.
    std::vector<std::string> filters;
    int filterIndex = 0;
    std::string directory;
    std::string fileName;
    std::string defaultExt;
    bool multiple = false;
    bool overwritePrompt = true;
    std::vector<std::string> files;   // out
    // Colour: in and out, with 16 custom colours.
    COLORREF color = 0;
    COLORREF custom[16] = {};
    // Font: in and out (negative pixel height at 96 dpi).
    LOGFONT font{};
    // Message box: text and caption above, MB_* type; the answer (IDOK, ...).
    std::string text;
    UINT type = 0;
    int answer = 0;
};

bool NativeDialogsAvailable();
// Runs the dialog; kNativeAccepted, kNativeCancelled or kNativeNotAvailable.
// (Message boxes: the IDxx answer, or kNativeNotAvailable.)
int RunNativeDialog(CNativeDialog& dialog);

int NativeFileDialog(HWND owner, bool save, const std::string& title, const std::vector<std::string>& filters,
                     const std::string& defaultExt, const std::string& fileName, bool multiple,
                     std::vector<std::string>* files);
int NativeColorDialog(HWND owner, COLORREF* color, COLORREF* custom16);
int NativeFontDialog(HWND owner, LOGFONT* font);
int NativeMessageBox(HWND owner, const char* text, const char* caption, UINT type);
