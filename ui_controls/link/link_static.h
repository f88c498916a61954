#pragma once
// CLinkStatic: a static text that acts as a hyperlink (underlined, hand
// cursor, hover and visited colours, optional tooltip). A click notifies the
// parent (m_reportClicks) or opens the address.
#include <string>

#include "platform/afx/afx_controls.h"

// Sent to the parent on a click when m_reportClicks is set; wParam = id.
#define WM_LINK_CLICKED (WM_USER + 101)

class CLinkStatic : public CStatic {
public:
    static constexpr UINT kToolId = 1001;

    CLinkStatic() = default;
    ~CLinkStatic() override;

    void SetShownText(const std::string& text);
    void SetLinkAddress(const std::string& url) { m_linkAddress = url; }
    const std::string& GetLinkAddress() const { return m_linkAddress; }
    void EnableTip(bool on) { m_tipActive = on; }
    void ChangeTipText(const std::string& text);
    // The text tool 1001 shows (empty until ChangeTipText took effect).
    const std::string& GetTipText() const { return m_tipText; }
    // The colour the next WM_CTLCOLORSTATIC gives the text.
    COLORREF CurrentColor() const;

    BOOL PreTranslateMessage(MSG* msg) override;
    HBRUSH CtlColor(HDC dc, UINT kind);

    HCURSOR m_handCursor = nullptr;
    bool m_reportClicks = false;
    bool m_tipActive = false;
    bool m_mouseInside = false;
    bool m_clicked = false;
    HFONT m_underlineFont = nullptr;
    CToolTipCtrl m_tipCtrl;
    std::string m_spareText;
    std::string m_shownText;
    std::string m_linkAddress;
    COLORREF m_mouseOverColor = RGB(255, 0, 0);
    COLORREF m_normalColor = RGB(0, 0, 255);
    COLORREF m_clickedColor = RGB(5, 34, 143);

protected:
    void PreSubclassWindow() override;
    LRESULT OnSetCursorMsg(WPARAM, LPARAM);
    LRESULT OnMouseMoveMsg(WPARAM, LPARAM);
    LRESULT OnDestroyMsg(WPARAM, LPARAM);
    void OnClicked();

    std::string m_tipText;

    DECLARE_MESSAGE_MAP()
};
