#pragma once
// A caption bar hosting one resizable dialog: the bar's minimum sizes come
// from the dialog's first size, commands reach the dialog first, and Enter,
// Escape and WM_CLOSE never close the dialog.
#include "ui_controls/bars/resizable_bar_cf.h"
#include "ui_controls/layout/dynamic_dialog.h"

class LytDynamicBarDlg : public LytDynamicChildDlg {
    DECLARE_DYNAMIC(LytDynamicBarDlg)
public:
    LytDynamicBarDlg(UINT templateId, CWnd* parent = nullptr, int axes = 3, int flags = 3);
    LytDynamicBarDlg(const CDialogTemplate* tmpl, CWnd* parent, int axes, int flags, UINT storeId);
    virtual BOOL Create(CWnd* parent);
    virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler);
    void OnOK() override {}
    void OnCancel() override {}
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    UINT m_nTemplateId = 0;
};

class LytDynamicBar : public CResizableBarCF {
    DECLARE_DYNAMIC(LytDynamicBar)
public:
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Set by the owner before Create; owned by the owner.
    LytDynamicBarDlg* m_pDialog = nullptr;

private:
    bool m_bRouting = false;
};
