#pragma once
// CView: a child window that shows a document. Commands route view, then
// document (and its template). Painting and printing share OnDraw; printing
// goes page by page through OnPrint onto a gdi printer DC.
#include <cstdint>

#include "platform/afx/dc.h"
#include "platform/afx/wnd.h"

class CDocument;
class CFrameWnd;
struct CPrintInfo;

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    CView();
    ~CView() override;
    CDocument* GetDocument() const { return m_pDocument; }

    BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                void* context = nullptr) override;

    virtual void OnDraw(CDC* dc) = 0;
    virtual void OnPrepareDC(CDC* dc, CPrintInfo* info = nullptr);
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject);
    virtual void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView);
    // Before the document reads a file of `size` bytes for this view; FALSE
    // refuses it (the view has told the user why).
    virtual BOOL CanOpenFile(const char* /*path*/, uint64_t /*size*/) { return TRUE; }

    // Printing.
    virtual BOOL OnPreparePrinting(CPrintInfo* info);
    // The print dialog for the info; FALSE when cancelled.
    BOOL DoPreparePrinting(CPrintInfo* info);
    virtual void OnBeginPrinting(CDC* dc, CPrintInfo* info);
    virtual void OnPrint(CDC* dc, CPrintInfo* info);
    virtual void OnEndPrinting(CDC* dc, CPrintInfo* info);
    void OnFilePrint();
    void OnFilePrintPreview();

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override;
    void PostNcDestroy() override;

    CDocument* m_pDocument = nullptr;

    int OnCreate(CREATESTRUCT* cs);
    void OnDestroy();
    void OnPaint();
    LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);
    LRESULT OnMouseActivateMessage(WPARAM, LPARAM);

protected:
    DECLARE_MESSAGE_MAP()
};
