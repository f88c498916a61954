#pragma once
// CDialog: modal and modeless dialogs from templates. A modal dialog disables
// its owner's top-level window and runs a nested loop (sent messages are
// served; WM_QUIT ends it as cancelled and is posted again; a frame's
// WM_CLOSE ends it as cancelled). OK runs UpdateData(TRUE); a failed DDV
// check keeps the dialog open.
#include <string>

#include "platform/afx/dialog_template.h"
#include "platform/afx/wnd.h"

class CNestedLoop;
typedef intptr_t INT_PTR;

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog() = default;
    explicit CDialog(UINT idTemplate, CWnd* parent = nullptr) : m_nIDTemplate(idTemplate), m_pParentWnd(parent) {}
    CDialog(const CDialogTemplate* tmpl, CWnd* parent) : m_pTemplate(tmpl), m_pParentWnd(parent) {}
    ~CDialog() override;

    // IDOK, IDCANCEL or EndDialog's value; -1 when the dialog could not be made.
    virtual INT_PTR DoModal();
    // Modeless.
    BOOL Create(UINT idTemplate, CWnd* parent = nullptr);
    BOOL CreateIndirect(const CDialogTemplate* tmpl, CWnd* parent);
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void MapDialogRect(RECT* r) const { AfxMapDialogRect(r); }
    BOOL IsModal() const { return m_pLoop != nullptr; }

    LRESULT HandleInitDialog(WPARAM, LPARAM);
    void OnClose() { OnCancel(); }

    UINT m_nIDTemplate = 0;
    const CDialogTemplate* m_pTemplate = nullptr;
    CWnd* m_pParentWnd = nullptr;

    // Makes the window and its items; the parent is a window handle.
    BOOL CreateFromTemplate(const CDialogTemplate* tmpl, HWND parent, DWORD forceStyle = 0, DWORD removeStyle = 0);
    const CDialogTemplate* FindTemplate() const;

protected:
    DECLARE_MESSAGE_MAP()
    // Runs the nested loop until EndDialog or cancellation.
    INT_PTR RunModalLoop(HWND owner);

    CNestedLoop* m_pLoop = nullptr;
    int m_nModalResult = -1;
};
