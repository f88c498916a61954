#include "ui_controls/link/link_static.h"

#include "platform/afx/resources.h"

BEGIN_MESSAGE_MAP(CLinkStatic, CStatic)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursorMsg)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMsg)
    ON_MESSAGE(WM_DESTROY, OnDestroyMsg)
    ON_WM_CTLCOLOR_REFLECT()
    ON_CONTROL_REFLECT(STN_CLICKED, OnClicked)
END_MESSAGE_MAP()

CLinkStatic::~CLinkStatic()
{
    if (m_hWnd) DestroyWindow();
    if (m_underlineFont) DeleteObject(m_underlineFont);
}

void CLinkStatic::SetShownText(const std::string& text)
{
    m_shownText = text;
    if (m_hWnd) SetWindowText(text);
}

void CLinkStatic::ChangeTipText(const std::string& text)
{
    if (!m_tipActive || !m_tipCtrl.m_hWnd) return;
    m_tipText = text;
    TOOLINFO ti{sizeof ti, 0, m_hWnd, kToolId, {}, nullptr, (char*)m_tipText.c_str(), 0};
    m_tipCtrl.Send(TTM_UPDATETIPTEXT, 0, (LPARAM)&ti);
}

COLORREF CLinkStatic::CurrentColor() const
{
    if (m_clicked) return m_clickedColor;
    return m_mouseInside ? m_mouseOverColor : m_normalColor;
}

void CLinkStatic::PreSubclassWindow()
{
    ModifyStyle(0, SS_NOTIFY);
    if (GetWindowText().empty()) SetWindowText(m_shownText);

    HFONT current = (HFONT)SendMessage(WM_GETFONT);
    if (!current) current = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    LOGFONT lf{};
    if (GetObject(current, sizeof lf, &lf) == (int)sizeof lf) {
        lf.lfUnderline = 1;
        if (m_underlineFont) DeleteObject(m_underlineFont);
        m_underlineFont = CreateFontIndirect(&lf);
        if (m_underlineFont) SendMessage(WM_SETFONT, (WPARAM)m_underlineFont, FALSE);
    }
    // The platform's own hand cursor.
    m_handCursor = LoadCursor(nullptr, IDC_HAND);

    CStatic::PreSubclassWindow();

    if (!m_tipCtrl.m_hWnd && m_tipCtrl.Create(this)) {
        TOOLINFO ti{sizeof ti, 0, m_hWnd, kToolId, {}, nullptr, (char*)"", 0};
        ::GetClientRect(m_hWnd, &ti.rect);
        m_tipCtrl.Send(TTM_ADDTOOL, 0, (LPARAM)&ti);
        m_tipCtrl.Activate(FALSE);
    }
}

BOOL CLinkStatic::PreTranslateMessage(MSG* msg)
{
    if (m_tipCtrl.m_hWnd) m_tipCtrl.RelayEvent(msg);
    return CStatic::PreTranslateMessage(msg);
}

LRESULT CLinkStatic::OnSetCursorMsg(WPARAM, LPARAM)
{
    if (m_handCursor) SetCursor(m_handCursor);
    return TRUE;
}

LRESULT CLinkStatic::OnMouseMoveMsg(WPARAM, LPARAM lParam)
{
    LRESULT r = Default();
    POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (!m_mouseInside) {
        m_mouseInside = true;
        Invalidate();
        SetCapture(m_hWnd);
    } else {
        RECT client;
        GetClientRect(&client);
        if (!PtInRect(&client, pt)) {
            m_mouseInside = false;
            if (GetCapture() == m_hWnd) ReleaseCapture();
            Invalidate();
        }
    }
    return r;
}

LRESULT CLinkStatic::OnDestroyMsg(WPARAM, LPARAM)
{
    if (m_tipCtrl.m_hWnd) m_tipCtrl.DestroyWindow();
    return Default();
}

HBRUSH CLinkStatic::CtlColor(HDC dc, UINT)
{
    SetTextColor(dc, CurrentColor());
    SetBkMode(dc, TRANSPARENT);
    return (HBRUSH)GetStockObject(NULL_BRUSH);
}

void CLinkStatic::OnClicked()
{
    if (m_reportClicks) {
        if (CWnd* parent = GetParent()) parent->SendMessage(WM_LINK_CLICKED, (WPARAM)GetDlgCtrlID(), 0);
    } else {
        // One argument vector element, never a shell command line.
        AfxOpenExternal(m_linkAddress);
    }
    if (!m_hWnd) return;
    m_clicked = true;
    Invalidate();
}
