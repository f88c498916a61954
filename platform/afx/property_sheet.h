#pragma once
// Property sheets: a dialog with pages and the OK, Cancel and "&Apply"
// buttons. Pages are created when first shown. Apply (and OK) checks the
// shown page, then calls OnApply on every created page; the first page that
// refuses becomes the shown page and the sheet stays open.
#include <vector>

#include "platform/afx/property_page.h"

#define PSBTN_OK 3
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5

class CPropertySheet : public CDialog {
    DECLARE_DYNAMIC(CPropertySheet)
public:
    explicit CPropertySheet(const char* caption, CWnd* parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return (int)m_pages.size(); }
    CPropertyPage* GetPage(int index) const { return m_pages[(size_t)index]; }
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const { return m_nActive; }
    BOOL SetActivePage(int index);
    // Presses OK, Apply or Cancel as the user would.
    BOOL PressButton(int button);
    // Applies every created page; FALSE when one refused.
    BOOL Apply();

    INT_PTR DoModal() override;
    BOOL Create(CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    // Ctrl+Tab and Ctrl+Page Down show the next page, with Shift or Page Up
    // the previous one; the tab strip takes the focus.
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnOK() override;
    void OnCancel() override;
    void OnApplyNow() { Apply(); }
    void OnUpdateApply();
    // The tab strip: a page that refuses to be left keeps the tab.
    void OnTabChanging(NMHDR* hdr, LRESULT* result);
    void OnTabChanged(NMHDR* hdr, LRESULT* result);
    HWND GetTabControl() const;

    std::string m_strCaption;

protected:
    DECLARE_MESSAGE_MAP()
    void BuildTemplate();
    BOOL ShowPage(int index);
    // Tab and Shift+Tab: strip, page, buttons.
    BOOL TabFrom(HWND from, bool previous);

    std::vector<CPropertyPage*> m_pages;
    int m_nActive = -1;
    UINT m_nSelectPage;
    CDialogTemplate m_sheetTemplate{};
    std::vector<CDialogItemTemplate> m_items;
    RECT m_pageRect{};
};
