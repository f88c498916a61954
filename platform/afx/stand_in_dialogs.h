#pragma once
// Our own common dialogs, built from the controls, for when the display has
// no dialog of its own: find/replace (modeless, reporting through the
// framework's find dialog object), colour, font (the families come from
// fontconfig), file and print. The folder browser is folder_browser.h.
#include <functional>
#include <string>
#include <vector>

#include "platform/afx/afx_controls.h"
#include "platform/afx/dialog.h"
#include "platform/afx/find_replace_dialog.h"

#define IDC_FIND_WHAT 1152
#define IDC_REPLACE_WITH 1153
#define IDC_WHOLE_WORD 1040
#define IDC_MATCH_CASE 1041
#define IDC_DIR_UP 1056
#define IDC_DIR_DOWN 1057
#define IDC_REPLACE 1024
#define IDC_REPLACE_ALL 1025
#define IDC_COLOR_RED 706
#define IDC_COLOR_GREEN 707
#define IDC_COLOR_BLUE 708
#define IDC_COLOR_SWATCH 709
#define IDC_COLOR_BASIC 720   // 16 basic colours, 720..735
#define IDC_FONT_FACE 1136
#define IDC_FONT_SIZE 1138
#define IDC_FONT_BOLD 1139
#define IDC_FONT_ITALIC 1140
#define IDC_FILE_FOLDER 1088
#define IDC_FILE_LIST 1120
#define IDC_FILE_NAME 1152
#define IDC_FILE_TYPE 1136
#define IDC_PRINT_PRINTER 1139
#define IDC_PRINT_COPIES 1154
#define IDC_PRINT_COPIES_SPIN 1155
#define IDC_PRINT_A4 1056
#define IDC_PRINT_LETTER 1057
#define IDC_PRINT_OUTPUT 1158
#define IDC_PRINT_PORTRAIT 1058
#define IDC_PRINT_LANDSCAPE 1059

// A private message our dialogs post themselves once shown, to run a hook's
// drive (CommonDialogAnswer::drive).
#define WM_STANDIN_DRIVE (WM_APP + 0x3FF0)

// One of our dialogs as the framework runs it: a hook's `drive`, when there
// is one, is called once with the window after the dialog shows.
template <class D>
class CDrivenStandIn : public D {
public:
    using D::D;
    std::function<void(HWND)> m_drive;
    BOOL OnInitDialog() override
    {
        const BOOL r = D::OnInitDialog();
        if (m_drive) ::PostMessage(this->m_hWnd, WM_STANDIN_DRIVE, 0, 0);
        return r;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_STANDIN_DRIVE) {
            std::function<void(HWND)> d = std::move(m_drive);
            m_drive = nullptr;
            if (d) d(this->m_hWnd);
            return 0;
        }
        return D::WindowProc(message, wParam, lParam);
    }
};

class CFindReplaceStandIn : public CDialog {
public:
    // Reports each press through api->Notify; the object deletes itself when closed.
    CFindReplaceStandIn(CFindReplaceDialog* api, BOOL findOnly, const char* findWhat, const char* replaceWith,
                        DWORD flags, CWnd* owner);
    BOOL Show();
    BOOL OnInitDialog() override;
    void OnOK() override;   // Find Next
    void OnCancel() override;
    void OnReplace() { Report(FR_REPLACE); }
    void OnReplaceAll() { Report(FR_REPLACEALL); }
    void OnFindChanged();
    // The framework's object has gone: presses report nothing more.
    void DetachApi() { m_api = nullptr; }
    void PostNcDestroy() override;

protected:
    DECLARE_MESSAGE_MAP()
    void Report(DWORD what);
    CFindReplaceDialog* m_api;
    BOOL m_findOnly;
    std::string m_find, m_replace;
    DWORD m_flags;
    CWnd* m_owner;
    std::vector<CDialogItemTemplate> m_items;
    CDialogTemplate m_template{};
};

class CColorStandIn : public CDialog {
public:
    explicit CColorStandIn(COLORREF initial, CWnd* parent = nullptr);
    COLORREF GetColor() const { return m_color; }
    static COLORREF BasicColor(int i);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnBasic(UINT id);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnComponentChanged();

protected:
    DECLARE_MESSAGE_MAP()
    LRESULT OnDrawItemMessage(WPARAM, LPARAM);
    COLORREF Entered() const;
    COLORREF m_color;
    bool m_updating = false;
    std::vector<CDialogItemTemplate> m_items;
    std::vector<std::string> m_texts;
    CDialogTemplate m_template{};
};

class CFontStandIn : public CDialog {
public:
    // Tenths of a point, as the framework's font dialog reports them.
    CFontStandIn(const LOGFONT* initial, CWnd* parent = nullptr);
    LOGFONT m_lf{};
    int m_pointSize = 90;
    // The families the list offers (fontconfig), sorted and unique.
    static std::vector<std::string> Families();
    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    CDialogTemplate m_template{};
};

// Open or save: a folder's sub-folders ("[name]") and the files that match
// the chosen type; a double-click enters a folder, a typed name is taken
// relative to the folder shown.
class CFileStandIn : public CDialog {
public:
    // filter: "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"
    CFileStandIn(BOOL open, const char* fileName, const char* filter, const char* folder, CWnd* parent = nullptr);
    std::string GetPathName() const { return m_path; }
    std::string GetFolder() const { return m_folder; }
    void Fill();
    void Enter(const std::string& folder);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnListDblClk();
    void OnListSelChange();
    void OnTypeChange() { Fill(); }
    static bool Matches(const std::string& name, const std::string& patterns);

protected:
    DECLARE_MESSAGE_MAP()
    BOOL m_bOpen;
    std::string m_fileName, m_folder, m_path;
    std::vector<std::pair<std::string, std::string>> m_types;   // label, patterns
    CDialogTemplate m_template{};
};

// The printer ("PDF file" or a CUPS queue), copies, paper and orientation;
// the PDF file when printing to a file. Print setup has no copies and no file.
class CPrintStandIn : public CDialog {
public:
    explicit CPrintStandIn(CWnd* parent = nullptr, bool setup = false);
    std::string m_printer;
    std::string m_output;
    int m_copies = 1;
    bool m_letter = false;
    bool m_landscape = false;
    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    bool m_setup;
    CDialogTemplate m_template{};
};
