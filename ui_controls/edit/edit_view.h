#pragma once
// KyrEditView: a document view filled by one source editor. Edit and File
// commands go to the control; a text change marks the document modified;
// the find/replace dialog and F3 search the control; printing goes page by
// page through the control.
#include <string>

#include "platform/afx/afx_ids.h"
#include "platform/afx/find_replace_dialog.h"
#include "platform/afx/print_info.h"
#include "platform/afx/view.h"
#include "ui_controls/edit/edit_ctrl.h"

#ifndef ID_EDIT_REDO
#define ID_EDIT_REDO 0xE12Cu
#endif
#ifndef ID_EDIT_REPEAT
#define ID_EDIT_REPEAT 0xE128u
#endif

class KyrEditView;

class KyrFindReplaceDialog : public CFindReplaceDialog {
public:
    explicit KyrFindReplaceDialog(KyrEditView* view) : m_view(view) {}
    // Gives the main window the focus when the box had it, and leaves the view.
    ~KyrFindReplaceDialog() override;
    KyrEditView* m_view = nullptr;
};

// The search state all editor views of a thread share.
struct KyrSearchState {
    std::string what, with;
    DWORD flags = FR_DOWN;
};
KyrSearchState& KyrLastSearch();
// The registered "commdlg_FindReplace" message.
UINT KyrFindReplaceMessage();

class KyrEditView : public CView {
    DECLARE_DYNCREATE(KyrEditView)

public:
    KyrEditView() = default;
    ~KyrEditView() override;
    KyrEditCtrl* GetEditCtrl() const { return m_edit; }
    KyrFindReplaceDialog* FindDialog() const { return m_findDialog; }

    virtual void OnTextNotFound(const std::string& what);
    virtual KyrEditCtrl* CreateEditCtrl() { return new KyrEditCtrl; }

    // Files the editor cannot hold (2 GiB or more) are refused unread.
    BOOL CanOpenFile(const char* path, uint64_t size) override;
    void OnPrepareDC(CDC* dc, CPrintInfo* info = nullptr) override;
    void OnDraw(CDC*) override {}
    BOOL OnPreparePrinting(CPrintInfo* info) override { return DoPreparePrinting(info); }
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override;
    void OnPrint(CDC* dc, CPrintInfo* info) override;
    void OnEndPrinting(CDC* dc, CPrintInfo* info) override;

    bool FindNext(const std::string& what, DWORD flags);
    bool ReplaceSelection(const std::string& replacement);
    // One pass from the caret in the search direction, wrapping once, over
    // the matches of the text as it was; never inside replaced text.
    int ReplaceAll(const std::string& what, const std::string& with, DWORD flags);
    void DialogClosed() { m_findDialog = nullptr; }

    void OnEditUndo();
    void OnEditRedo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditSelectAll();
    void OnEditFind();
    void OnEditReplace();
    void OnEditRepeat();
    void OnUpdateEditUndo(CCmdUI* ui);
    void OnUpdateEditRedo(CCmdUI* ui);
    void OnUpdateEditCut(CCmdUI* ui);
    void OnUpdateEditCopy(CCmdUI* ui);
    void OnUpdateNoDialog(CCmdUI* ui);
    void OnUpdateEditRepeat(CCmdUI* ui);
    LRESULT OnFindReplace(WPARAM, LPARAM);
    LRESULT OnEditChange(WPARAM, LPARAM);

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    BOOL OnEraseBkgnd(HDC) { return TRUE; }
    void OnSetFocus(HWND old);
    void OpenDialog(bool findOnly);
    DECLARE_MESSAGE_MAP()

    KyrEditCtrl* m_edit = nullptr;
    KyrFindReplaceDialog* m_findDialog = nullptr;
};
