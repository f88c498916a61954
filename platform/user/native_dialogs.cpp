// Native dialogs: thin calls into the back end, which does the waiting.
#include "platform/user/native_dialogs.h"

#include <cstring>

#include "platform/kernel/kernel.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message_box.h"
#include "platform/user/window.h"

bool NativeDialogsAvailable() { return Backend().HasNativeDialogs(); }

namespace {

BOOL PaintNow(HWND hwnd, LPARAM)
{
    if (IsWindowVisible(hwnd)) RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

}  // namespace

int RunNativeDialog(CNativeDialog& dialog)
{
    if (!Backend().HasNativeDialogs()) return kNativeNotAvailable;
    // This thread paints nothing while the dialog shows: what changed before
    // it (the text a Replace All changed, then said it had finished) is on
    // the screen first.
    EnumThreadWindows(GetCurrentThreadId(), PaintNow, 0);
    const HWND focus = GetFocus();
    const int result = Backend().RunNativeDialog(dialog);
    // The owner takes the focus back where it was: a dialog opened from a
    // dialog leaves its owner usable by the keyboard.
    const HWND top = dialog.owner && IsWindow(dialog.owner) ? GetAncestor(dialog.owner, GA_ROOT) : nullptr;
    if (top && GetWindowThreadProcessId(top, nullptr) == GetCurrentThreadId()) {
        SetActiveWindow(top);
        if (focus && IsWindow(focus) && (focus == top || IsChild(top, focus))) SetFocus(focus);
    }
    return result;
}

int NativeFileDialog(HWND owner, bool save, const std::string& title, const std::vector<std::string>& filters,
                     const std::string& defaultExt, const std::string& fileName, bool multiple,
                     std::vector<std::string>* files)
{
    CNativeDialog d;
    d.kind = save ? NativeDialogKind::SaveFile : NativeDialogKind::OpenFile;
    d.owner = owner;
    d.title = title;
    d.filters = filters;
    d.defaultExt = defaultExt;
    d.fileName = fileName;
    d.multiple = multiple && !save;
    int r = RunNativeDialog(d);
    if (r == kNativeAccepted && files) *files = d.files;
    return r;
}

int NativeColorDialog(HWND owner, COLORREF* color, COLORREF* custom16)
{
    CNativeDialog d;
    d.kind = NativeDialogKind::Color;
    d.owner = owner;
    if (color) d.color = *color;
    if (custom16) memcpy(d.custom, custom16, sizeof d.custom);
    int r = RunNativeDialog(d);
    if (r == kNativeAccepted) {
        if (color) *color = d.color;
        if (custom16) memcpy(custom16, d.custom, sizeof d.custom);
    }
    return r;
}

int NativeFontDialog(HWND owner, LOGFONT* font)
{
    CNativeDialog d;
    d.kind = NativeDialogKind::Font;
    d.owner = owner;
    if (font) d.font = *font;
    int r = RunNativeDialog(d);
    if (r == kNativeAccepted && font) *font = d.font;
    return r;
}

int NativeMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    CNativeDialog d;
    d.kind = NativeDialogKind::MessageBox;
    d.owner = owner;
    d.text = text ? text : "";
    d.title = caption ? caption : "Error";
    d.type = type;
    return RunNativeDialog(d);
}
