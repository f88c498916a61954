#pragma once
// The rich-edit view and document: the view's window is a rich-edit control
// (its messages reach the view's message map first), printing runs through
// EM_FORMATRANGE inside the view's margins, find goes through the
// framework's find dialog, and the Edit commands have update handlers. The
// document is plain rich text: no embedded objects.
#include <vector>

#include "platform/afx/afx_controls.h"
#include "platform/afx/archive.h"
#include "platform/afx/cmd_ui.h"
#include "platform/afx/document.h"
#include "platform/afx/find_replace_dialog.h"
#include "platform/afx/ole_drop_target.h"
#include "platform/afx/print_info.h"
#include "platform/afx/view.h"

class CRichEditView : public CView {
    DECLARE_DYNCREATE(CRichEditView)
public:
    CRichEditView();
    // The find box is a plain object without a window of its own: it goes with the view.
    ~CRichEditView() override;
    // The control the view is; valid while the window exists.
    CRichEditCtrl& GetRichEditCtrl();
    void OnDraw(CDC*) override {}
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnInitialUpdate() override;

    // Printing: margins in twips; pages break where EM_FORMATRANGE says.
    RECT m_rectMargin{1800, 1440, 1800, 1440};
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override;
    void OnPrepareDC(CDC* dc, CPrintInfo* info = nullptr) override;
    void OnPrint(CDC* dc, CPrintInfo* info) override;
    void OnEndPrinting(CDC* dc, CPrintInfo* info) override;
    // Lays out one page from `start` onto the DC; returns the next start.
    long PrintPage(CDC* dc, long start, bool render);

    // Edit commands.
    void OnEditCopy() { GetRichEditCtrl().Copy(); }
    void OnEditCut() { GetRichEditCtrl().Cut(); }
    void OnEditPaste() { GetRichEditCtrl().Paste(); }
    void OnEditClear() { GetRichEditCtrl().Clear(); }
    void OnEditUndo() { GetRichEditCtrl().Undo(); }
    void OnEditSelectAll() { GetRichEditCtrl().SetSel(0, -1); }
    void OnEditFind();
    void OnUpdateNeedSel(CCmdUI* ui);
    void OnUpdateNeedClip(CCmdUI* ui);
    void OnUpdateEditUndo(CCmdUI* ui);
    void OnUpdateNeedText(CCmdUI* ui);
    // The find dialog's requests: the next match is selected; false when none.
    bool FindNext(const std::string& what, bool down, bool matchCase, bool wholeWord);
    LRESULT OnFindReplaceCmd(WPARAM, LPARAM lParam);

    // Text dropped on the view goes in as a user edit (protection holds).
    class CDropTarget : public COleDropTarget {
    public:
        DROPEFFECT OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, POINT pt) override;
        DROPEFFECT OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState, POINT pt) override;
        BOOL OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, POINT pt) override;
    };
    CDropTarget m_dropTarget;
    int OnCreate(CREATESTRUCT* cs);

    LRESULT OnPaintMessage(WPARAM, LPARAM) { return Default(); }
    LRESULT OnEraseMessage(WPARAM, LPARAM) { return Default(); }

protected:
    DECLARE_MESSAGE_MAP()
    CRichEditCtrl m_alias;           // the view's own window, seen as the control
    std::vector<long> m_pageStarts;   // where each printed page begins
    long m_printEnd = 0;
    CFindReplaceDialog* m_pFind = nullptr;
};

class CRichEditDoc : public CDocument {
    DECLARE_DYNCREATE(CRichEditDoc)
public:
    // Rich text when the file begins "{\rtf", else plain text.
    BOOL m_bRTF = TRUE;
    CRichEditView* GetView() const;
    void Serialize(CArchive& ar) override;
    void DeleteContents() override;
};
