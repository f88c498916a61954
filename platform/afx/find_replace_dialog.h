#pragma once
// CFindReplaceDialog: the modeless find and replace box. Each action sends
// the registered message "commdlg_FindReplace" to the owner with the dialog
// as lParam; closing the box sends FR_DIALOGTERM. A hook's answer stands for
// one press: `text` is "find\nreplace", `number` the FR_* flags of the action.
#include <string>

#include "platform/afx/wnd.h"

#define FR_DOWN 0x00000001u
#define FR_WHOLEWORD 0x00000002u
#define FR_MATCHCASE 0x00000004u
#define FR_FINDNEXT 0x00000008u
#define FR_REPLACE 0x00000010u
#define FR_REPLACEALL 0x00000020u
#define FR_DIALOGTERM 0x00000040u

extern const char* const FINDMSGSTRING;   // "commdlg_FindReplace"

class CFindReplaceStandIn;

class CFindReplaceDialog {
public:
    CFindReplaceDialog() = default;
    CFindReplaceDialog(const CFindReplaceDialog&) = delete;
    CFindReplaceDialog& operator=(const CFindReplaceDialog&) = delete;
    // A box still showing closes.
    virtual ~CFindReplaceDialog();
    // Shows the box (modeless) over the parent's window; FALSE when it
    // cannot be made or one already shows.
    BOOL Create(BOOL findOnly, const char* findWhat, const char* replaceWith = nullptr, DWORD flags = FR_DOWN,
                CWnd* parent = nullptr);
    // Reports an action to the owner as the user's press would.
    void Notify(DWORD flags, const std::string& findWhat, const std::string& replaceWith);
    static CFindReplaceDialog* GetNotifier(LPARAM lParam) { return reinterpret_cast<CFindReplaceDialog*>(lParam); }
    // The box's window while it shows, else null.
    HWND GetSafeHwnd() const;
    // The box has gone (it calls this as its window ends).
    void WindowGone() { m_window = nullptr; }

    std::string GetFindString() const { return m_find; }
    std::string GetReplaceString() const { return m_replace; }
    BOOL SearchDown() const { return (m_flags & FR_DOWN) != 0; }
    BOOL FindNext() const { return (m_flags & FR_FINDNEXT) != 0; }
    BOOL MatchCase() const { return (m_flags & FR_MATCHCASE) != 0; }
    BOOL MatchWholeWord() const { return (m_flags & FR_WHOLEWORD) != 0; }
    BOOL ReplaceCurrent() const { return (m_flags & FR_REPLACE) != 0; }
    BOOL ReplaceAll() const { return (m_flags & FR_REPLACEALL) != 0; }
    BOOL IsTerminating() const { return (m_flags & FR_DIALOGTERM) != 0; }

private:
    HWND m_owner = nullptr;
    CFindReplaceStandIn* m_window = nullptr;
    BOOL m_findOnly = TRUE;
    std::string m_find, m_replace;
    DWORD m_flags = FR_DOWN;
};
