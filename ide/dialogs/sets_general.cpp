// The settings sheet's "Main" page: the output window, the numeric
// precision and the fonts of the variables, watcher and output windows.
#include "ide/dialogs/settings_sheet.h"

#include "ide/dialogs/sets_page_util.h"
#include "ide/dialogs/settings_ids.h"
#include "values/output_stream.h"

namespace {
const int kFaceIds[3] = {IDC_SETS_FACE1, IDC_SETS_FACE2, IDC_SETS_FACE3};
const int kSizeIds[3] = {IDC_SETS_SIZE1, IDC_SETS_SIZE2, IDC_SETS_SIZE3};
}  // namespace

CSetsGeneral::CSetsGeneral() : CSetsPage(SetsPageTemplate(IDD_SETS_GENERAL), "Main")
{
    using namespace AppSettings;
    const ValueTextFormat out = CurrentDisplayTextFormat();
    m_autoOpen = OutputAutoOpen;
    COutputStream* stream = GetOutputStream();
    m_timeLabel = stream ? stream->TimeStamps() : TimeLabel;
    m_useAsConsole = UseAsConsole;
    m_precision = NumericPrecision;
    m_streamLimitKb = out.maxLength / 1024;
    m_outputStyle = (out.flags & 1) ? 1 : 0;
    m_numericStyle = (out.flags & 0x100) ? 0 : 1;
    m_formatPrecision = out.precision;
    m_formatWidth = out.width;
    m_columnLimit = out.cellsPerLine;
    m_fonts[0] = VariablesFont;
    m_fonts[1] = WatcherFont;
    m_fonts[2] = OutputFont;
}

BOOL CSetsGeneral::OnInitDialog()
{
    CControlAlias<CComboBox> output(this, IDC_SETS_COMBO1), numeric(this, IDC_SETS_COMBO2);
    for (const char* s : {"As Stream", "Printing"}) output.AddString(s);
    for (const char* s : {"Format", "Variable"}) numeric.AddString(s);
    AttachSpin(m_hWnd, IDC_SETS_SPIN1, IDC_SETS_EDIT1, 0, 17);
    AttachSpin(m_hWnd, IDC_SETS_SPIN2, IDC_SETS_EDIT3, 0, 17);
    AttachSpin(m_hWnd, IDC_SETS_SPIN3, IDC_SETS_EDIT4, 0, 50);
    AttachSpin(m_hWnd, IDC_SETS_SPIN4, IDC_SETS_EDIT5, 0, 200);
    for (int i = 0; i < 3; ++i) {
        m_faces[i].SubclassDlgItem(kFaceIds[i], this);
        m_faces[i].SelectFont(m_fonts[i].face);
        FillSizeBox(::GetDlgItem(m_hWnd, kSizeIds[i]), m_fonts[i].size);
    }
    return CPropertyPage::OnInitDialog();
}

void CSetsGeneral::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_SETS_CHECK1, m_autoOpen);
    DDX_Check(pDX, IDC_SETS_CHECK2, m_timeLabel);
    DDX_Check(pDX, IDC_SETS_CHECK3, m_useAsConsole);
    DDX_Text(pDX, IDC_SETS_EDIT1, m_precision);
    DDV_MinMaxInt(pDX, m_precision, 0, 17);
    DDX_Text(pDX, IDC_SETS_EDIT2, m_streamLimitKb);
    DDV_MinMaxInt(pDX, m_streamLimitKb, 1, 65536);
    DDX_ComboIndex(pDX, IDC_SETS_COMBO1, m_outputStyle);
    DDX_ComboIndex(pDX, IDC_SETS_COMBO2, m_numericStyle);
    DDX_Text(pDX, IDC_SETS_EDIT3, m_formatPrecision);
    DDV_MinMaxInt(pDX, m_formatPrecision, 0, 17);
    DDX_Text(pDX, IDC_SETS_EDIT4, m_formatWidth);
    DDV_MinMaxInt(pDX, m_formatWidth, 0, 50);
    DDX_Text(pDX, IDC_SETS_EDIT5, m_columnLimit);
    DDV_MinMaxInt(pDX, m_columnLimit, 0, 200);
}

BOOL CSetsGeneral::OnApply()
{
    // Every check first: a refusal leaves all of this page's settings as they were.
    int sizes[3];
    for (int i = 0; i < 3; ++i) {
        if (!ReadSizeBox(this, kSizeIds[i], 1, 18, sizes[i])) {
            RefuseSize(this, kSizeIds[i], "Font size must be ranged within [1,18]");
            return FALSE;
        }
    }
    using namespace AppSettings;
    OutputAutoOpen = m_autoOpen != 0;
    TimeLabel = m_timeLabel != 0;
    if (COutputStream* stream = GetOutputStream()) stream->SetTimeStamps(TimeLabel);
    UseAsConsole = m_useAsConsole != 0;
    NumericPrecision = m_precision;
    EditorFormat.precision = (uint8_t)m_precision;
    EditorFormat.width = 2 * m_precision;

    ValueTextFormat out = CurrentDisplayTextFormat();
    out.maxLength = m_streamLimitKb * 1024;
    if (m_outputStyle == 0) out.flags &= ~1u;
    else if (m_outputStyle == 1) out.flags |= 1u;
    if (m_numericStyle == 0) out.flags |= 0x102u;
    else if (m_numericStyle == 1) out.flags &= ~0x102u;
    out.precision = (uint8_t)m_formatPrecision;
    out.width = m_formatWidth;
    out.cellsPerLine = m_columnLimit;
    SetDisplayTextFormat(out);

    FontSetting* targets[3] = {&VariablesFont, &WatcherFont, &OutputFont};
    for (int i = 0; i < 3; ++i) {
        m_fonts[i] = {ChosenFace(m_faces[i], m_fonts[i].face), sizes[i]};
        *targets[i] = m_fonts[i];
    }
    return CPropertyPage::OnApply();
}
