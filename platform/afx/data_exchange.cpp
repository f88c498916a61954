// DDX/DDV routines.
#include "platform/afx/data_exchange.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/afx/afx_ids.h"
#include "platform/afx/exception.h"
#include "platform/afx/resources.h"
#include "platform/afx/app_access.h"
#include "platform/afx/wnd.h"

HWND CDataExchange::PrepareCtrl(int id)
{
    HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    if (!h) AfxThrowUserException();
    m_hWndLastControl = h;
    m_bEditLastControl = false;
    return h;
}

HWND CDataExchange::PrepareEditCtrl(int id)
{
    HWND h = PrepareCtrl(id);
    m_bEditLastControl = true;
    return h;
}

void CDataExchange::Fail()
{
    if (!m_bSaveAndValidate) AfxThrowUserException();
    if (m_hWndLastControl && IsWindow(m_hWndLastControl)) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl) ::SendMessage(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    AfxThrowUserException();
}

static std::string ControlText(HWND h)
{
    int n = GetWindowTextLength(h);
    std::string s((size_t)n + 1, '\0');
    n = GetWindowText(h, s.data(), n + 1);
    s.resize(n > 0 ? (size_t)n : 0);
    return s;
}

static std::string Trimmed(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

static void FailWith(CDataExchange* pDX, const std::string& text)
{
    AfxMessageBox(text.c_str(), MB_ICONEXCLAMATION);
    pDX->Fail();
}

static bool ParseLong(const std::string& text, long long& out)
{
    std::string t = Trimmed(text);
    if (t.empty()) return false;
    errno = 0;
    char* end = nullptr;
    out = std::strtoll(t.c_str(), &end, 10);
    return errno == 0 && end && *end == '\0';
}

static bool ParseDouble(const std::string& text, double& out)
{
    std::string t = Trimmed(text);
    if (t.empty()) return false;
    errno = 0;
    char* end = nullptr;
    out = std::strtod(t.c_str(), &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(out);
}

static std::string FormatDouble(double v, int digits)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    return buf;
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value)
{
    HWND h = pDX->PrepareEditCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = ControlText(h);
    else
        SetWindowText(h, value.c_str());
}

template <class T>
static void TextInteger(CDataExchange* pDX, int id, T& value, long long lo, long long hi)
{
    HWND h = pDX->PrepareEditCtrl(id);
    if (!pDX->m_bSaveAndValidate) {
        SetWindowText(h, std::to_string(value).c_str());
        return;
    }
    long long v = 0;
    if (!ParseLong(ControlText(h), v) || v < lo || v > hi) FailWith(pDX, AfxLoadString(AFX_IDP_PARSE_INT));
    value = (T)v;
}

void DDX_Text(CDataExchange* pDX, int id, int& value) { TextInteger(pDX, id, value, INT32_MIN, INT32_MAX); }
void DDX_Text(CDataExchange* pDX, int id, UINT& value) { TextInteger(pDX, id, value, 0, UINT32_MAX); }
void DDX_Text(CDataExchange* pDX, int id, long& value) { TextInteger(pDX, id, value, INT64_MIN, INT64_MAX); }

void DDX_Text(CDataExchange* pDX, int id, double& value)
{
    HWND h = pDX->PrepareEditCtrl(id);
    if (!pDX->m_bSaveAndValidate) {
        SetWindowText(h, FormatDouble(value, DBL_DIG).c_str());
        return;
    }
    double v = 0;
    if (!ParseDouble(ControlText(h), v)) FailWith(pDX, AfxLoadString(AFX_IDP_PARSE_REAL));
    value = v;
}

void DDX_Text(CDataExchange* pDX, int id, float& value)
{
    double v = value;
    DDX_Text(pDX, id, v);
    if (pDX->m_bSaveAndValidate) {
        if (std::fabs(v) > FLT_MAX) FailWith(pDX, AfxLoadString(AFX_IDP_PARSE_REAL));
        value = (float)v;
    }
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    HWND h = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = (int)::SendMessage(h, BM_GETCHECK, 0, 0);
    else
        ::SendMessage(h, BM_SETCHECK, (WPARAM)value, 0);
}

void DDX_Radio(CDataExchange* pDX, int id, int& value)
{
    HWND h = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) value = -1;
    int index = 0;
    for (HWND c = h; c; c = GetWindow(c, GW_HWNDNEXT), ++index) {
        if (c != h && (GetWindowLongPtr(c, GWL_STYLE) & WS_GROUP)) break;
        if (pDX->m_bSaveAndValidate) {
            if (::SendMessage(c, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessage(c, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (control.m_hWnd) return;
    HWND h = pDX->PrepareCtrl(id);
    if (!control.SubclassWindow(h)) AfxThrowUserException();
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int maxChars)
{
    if (pDX->m_bSaveAndValidate && (int)value.size() > maxChars)
        FailWith(pDX, AfxFormatString(AfxLoadString(AFX_IDP_PARSE_STRING_SIZE), {std::to_string(maxChars)}));
}

static void FailIntRange(CDataExchange* pDX, long long lo, long long hi)
{
    FailWith(pDX, AfxFormatString(AfxLoadString(AFX_IDP_PARSE_INT_RANGE), {std::to_string(lo), std::to_string(hi)}));
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal)) FailIntRange(pDX, minVal, maxVal);
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal)
{
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal)) FailIntRange(pDX, minVal, maxVal);
}

void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal)
{
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal)) FailIntRange(pDX, minVal, maxVal);
}

static void CheckRealRange(CDataExchange* pDX, double value, double lo, double hi, int digits)
{
    if (pDX->m_bSaveAndValidate && (value < lo || value > hi))
        FailWith(pDX, AfxFormatString(AfxLoadString(AFX_IDP_PARSE_REAL_RANGE), {FormatDouble(lo, digits), FormatDouble(hi, digits)}));
}

void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minVal, double maxVal)
{
    CheckRealRange(pDX, value, minVal, maxVal, DBL_DIG);
}

void DDV_MinMaxFloat(CDataExchange* pDX, float value, float minVal, float maxVal)
{
    CheckRealRange(pDX, value, minVal, maxVal, FLT_DIG);
}
