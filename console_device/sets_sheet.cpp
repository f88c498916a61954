// The console's settings sheet.
#include "console_device/sets_sheet.h"

#include <atomic>
#include <cstring>

#include "console_device/nerith_resources.h"
#include "platform/controls/controls.h"
#include "console_device/nerith_settings.h"

namespace {

std::atomic<int> g_lastPage{0};

void ComboIndex(CDataExchange* pDX, int id, int& index)
{
    HWND combo = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) index = (int)::SendMessage(combo, CB_GETCURSEL, 0, 0);
    else ::SendMessage(combo, CB_SETCURSEL, (WPARAM)index, 0);
}

}  // namespace

CSetsGeneral::CSetsGeneral() : CPropertyPage(IDD_SETS_GENERAL, "General")
{
    const NerithSettings s = NerithSettingsCopy();
    m_outStamp = s.outStamp ? 1 : 0;
    m_timeStamp = s.timeStamp ? 1 : 0;
    m_outputType = (s.format.flags & 1) ? 1 : 0;
    m_numericType = (s.format.flags & 0x100) ? 0 : 1;
    m_streamLimitKb = s.format.maxLength / 1024;
    m_precision = s.format.precision;
    m_width = s.format.width;
    m_columnLimit = s.format.cellsPerLine;
    m_fontFace = s.fontFace;
    m_fontSize = std::to_string(s.fontHeight / 20);
}

BOOL CSetsGeneral::OnInitDialog()
{
    HWND self = m_hWnd;
    for (const char* s : {"As Stream", "Printing"})
        ::SendMessage(::GetDlgItem(self, IDC_OUTPUT_TYPE), CB_ADDSTRING, 0, (LPARAM)s);
    for (const char* s : {"Format", "Variable"}) ::SendMessage(::GetDlgItem(self, IDC_NUMERIC_TYPE), CB_ADDSTRING, 0, (LPARAM)s);
    for (const char* s : {"7", "8", "9", "10", "11", "12", "14", "16"})
        ::SendMessage(::GetDlgItem(self, IDC_FONT_SIZE), CB_ADDSTRING, 0, (LPARAM)s);
    const struct { int spin, box, max; } spins[] = {
        {IDC_PRECISION_SPIN, IDC_PRECISION, 17}, {IDC_WIDTH_SPIN, IDC_WIDTH, 50}, {IDC_COLUMN_LIMIT_SPIN, IDC_COLUMN_LIMIT, 200}};
    for (const auto& s : spins) {
        HWND spin = ::GetDlgItem(self, s.spin);
        ::SendMessage(spin, UDM_SETBUDDY, (WPARAM)::GetDlgItem(self, s.box), 0);
        ::SendMessage(spin, UDM_SETRANGE32, 0, s.max);
    }
    // The installed faces, each drawn in itself.
    m_fontCombo.SubclassDlgItem(IDC_FONT_FACE, this);
    CPropertyPage::OnInitDialog();
    m_fontCombo.SetCurSel(-1);
    m_fontCombo.SelectFont(m_fontFace);
    SetDlgItemText(IDC_FONT_SIZE, m_fontSize);
    return TRUE;
}

void CSetsGeneral::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_OUT_STAMP, m_outStamp);
    DDX_Check(pDX, IDC_TIME_STAMP, m_timeStamp);
    DDX_Text(pDX, IDC_STREAM_LIMIT, m_streamLimitKb);
    DDV_MinMaxInt(pDX, m_streamLimitKb, 1, 524288);
    ComboIndex(pDX, IDC_OUTPUT_TYPE, m_outputType);
    ComboIndex(pDX, IDC_NUMERIC_TYPE, m_numericType);
    DDX_Text(pDX, IDC_PRECISION, m_precision);
    DDV_MinMaxInt(pDX, m_precision, 0, 17);
    DDX_Text(pDX, IDC_WIDTH, m_width);
    DDV_MinMaxInt(pDX, m_width, 0, 50);
    DDX_Text(pDX, IDC_COLUMN_LIMIT, m_columnLimit);
    DDV_MinMaxInt(pDX, m_columnLimit, 0, 200);
}

BOOL CSetsGeneral::OnSetActive()
{
    m_ready = true;
    return CPropertyPage::OnSetActive();
}

BOOL CSetsGeneral::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int code = HIWORD(wParam);
    if (m_ready && lParam && (code == EN_CHANGE || code == BN_CLICKED || code == CBN_SELCHANGE || code == CBN_EDITCHANGE))
        SetModified(TRUE);
    return CPropertyPage::OnCommand(wParam, lParam);
}

BOOL CSetsGeneral::OnApply()
{
    const std::string face = m_fontCombo.m_hWnd ? m_fontCombo.GetSelectedFont() : m_fontFace;
    const int height = CheckedSheetHeightTwips(GetDlgItemText(IDC_FONT_SIZE));
    UpdateNerithSettings([&](NerithSettings& s) {
        s.outStamp = m_outStamp != 0;
        s.timeStamp = m_timeStamp != 0;
        if (m_outputType == 0) s.format.flags &= ~1u;
        else if (m_outputType == 1) s.format.flags |= 1u;
        if (m_numericType == 0) s.format.flags |= 0x102u;
        else if (m_numericType == 1) s.format.flags &= ~0x102u;
        s.format.maxLength = m_streamLimitKb * 1024;
        s.format.precision = (uint8_t)m_precision;
        s.format.width = m_width;
        s.format.cellsPerLine = m_columnLimit;
        s.fontFace = face;
        s.fontHeight = height;
    });
    return CPropertyPage::OnApply();
}

BEGIN_MESSAGE_MAP(CSetsSheet, CPropertySheet)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CSetsSheet::CSetsSheet(const char* caption, CWnd* parent) : CPropertySheet(caption, parent, (UINT)g_lastPage.load())
{
    AddPage(&m_general);
}

CSetsSheet::~CSetsSheet() = default;

int CSetsSheet::LastPage() { return g_lastPage.load(); }

void CSetsSheet::OnDestroy()
{
    g_lastPage.store(GetActiveIndex() < 0 ? 0 : GetActiveIndex());
    Default();
}
