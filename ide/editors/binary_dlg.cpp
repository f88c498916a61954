// The binary data editor.
#include "ide/editors/binary_dlg.h"

#include <cstdlib>
#include <cstring>

#include "ide/editors/value_edit.h"
#include "ide/editors/value_line.h"
#include "platform/afx/afx_controls.h"

// ---------------------------------------------------------------- CBinaryHexCtrl

CBinaryHexCtrl::~CBinaryHexCtrl()
{
    std::free(m_pData);
    m_pData = nullptr;
    if (m_font) DeleteObject(m_font);
}

void CBinaryHexCtrl::SetBytes(const std::vector<unsigned char>& bytes)
{
    std::free(m_pData);
    m_pData = static_cast<unsigned char*>(std::malloc(std::max<size_t>(bytes.size(), 1)));
    m_nDataSize = m_pData ? (int)bytes.size() : 0;
    if (m_pData && !bytes.empty()) std::memcpy(m_pData, bytes.data(), bytes.size());
}

std::vector<unsigned char> CBinaryHexCtrl::Bytes() const
{
    if (!m_pData || m_nDataSize <= 0) return {};
    return std::vector<unsigned char>(m_pData, m_pData + m_nDataSize);
}

void CBinaryHexCtrl::OnBufferResized()
{
    if (m_pReport) m_pReport->OnHexResized();
}

// ---------------------------------------------------------------- CBinaryDlg

namespace {
const LayoutTableEntry kBinaryLayout[] = {
    {2, IDC_VE_LABEL_NAME, {0, 0, 0, 0}},
    {2, IDC_VE_AUTO_COLUMNS, {2, 0, 0, 0}},
    {2, IDC_VE_ITEM1, {2, 0, 0, 0}},
    {2, IDC_VE_ITEM2, {2, 0, 0, 0}},
    {2, IDC_VE_ITEM4, {2, 0, 0, 0}},
    {2, IDC_VE_LABEL_COLUMNS, {0, 2, 0, 0}},
    {2, IDC_VE_NAME, {1, 0, 0, 0}},
    {2, IDC_VE_ROWS, {2, 0, 0, 0}},   // the columns box
    {2, IDC_VE_SIZE, {0, 2, 0, 0}},
    {2, IDC_VE_SPIN_ROWS, {2, 0, 0, 0}},   // the columns spin
    {2, IDC_VE_SPIN_COLUMNS, {0, 2, 0, 0}},   // the size spin
    {2, IDC_VE_HEX, {1, 1, 0, 0}},
    {2, IDOK, {2, 2, 0, 0}},
    {2, IDCANCEL, {2, 2, 0, 0}},
    {0, 0, {0, 0, 0, 0}},
};

unsigned BoxUnsigned(const std::string& text)
{
    char* end = nullptr;
    unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (end == text.c_str()) return 0;
    return v > 0xFFFFFFFFull ? 0xFFFFFFFFu : (unsigned)v;
}

int DigitsOfChoice(int choice) { return choice == 2 ? 8 : choice == 1 ? 4 : 2; }
}  // namespace

CBinaryDlg::CBinaryDlg(std::string* outName, const std::string& name, CValue* value,
                       const std::vector<unsigned char>& bytes, bool editable, IValueEditHost* host, CWnd* parent)
    : LytDynamicDialog(ValueEditorTemplate(IDD_BINARY_EDIT), parent, 3, LytDynamicLayout::CreateGrip,
                       IDD_BINARY_EDIT),
      m_pOutName(outName),
      m_pHost(host),
      m_pValue(value),
      m_editable(editable),
      m_name(name)
{
    m_nIDTemplate = IDD_BINARY_EDIT;
    m_hex.SetBytes(bytes);
    m_hex.m_bReadOnly = !editable;
    m_hex.m_bAllowResize = editable;
    m_hex.m_pReport = this;
}

const LayoutTableEntry* CBinaryDlg::GetLayoutTable() const { return kBinaryLayout; }

void CBinaryDlg::SetLayout(int rowLength, int digits)
{
    if (rowLength > 0) m_startRowLength = rowLength;
    m_startDigits = digits == 4 || digits == 8 ? digits : 2;
}

BOOL CBinaryDlg::OnInitDialog()
{
    LytDynamicDialog::OnInitDialog();
    RECT label{}, close{}, client{};
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_VE_LABEL_NAME), &label);
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDCANCEL), &close);
    POINT a{label.left, label.bottom}, b{close.right, close.top};
    ::ScreenToClient(m_hWnd, &a);
    ::ScreenToClient(m_hWnd, &b);
    GetClientRect(&client);
    RECT units{0, 0, 8, 5};
    MapDialogRect(&units);
    RECT area{units.right, a.y + units.right, client.right - units.right, b.y - units.bottom};
    if (!m_hex.Create(0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL, area, this, IDC_VE_HEX))
        return FALSE;
    // The layout learns the editor created after the template's controls.
    const signed char both[4] = {0, 0, 100, 100};
    LayoutRecord rec{area, {both[0], both[1], both[2], both[3]}, SIZE{0, 0}};
    SetControlRecord(m_hex.m_hWnd, rec, false);
    m_hex.SetDigitsPerItem(m_startDigits);
    m_hex.SetItemsPerRow(m_startRowLength);
    ::SetFocus(m_hex.m_hWnd);
    CControlAlias<CSpinButtonCtrl> rowsSpin(this, IDC_VE_SPIN_ROWS), columnsSpin(this, IDC_VE_SPIN_COLUMNS);
    CControlAlias<CEdit> rows(this, IDC_VE_ROWS), size(this, IDC_VE_SIZE);
    rowsSpin.SetBuddy(&rows);
    rowsSpin.SetRange32(1, 32000);
    columnsSpin.SetBuddy(&size);
    columnsSpin.SetRange32(1, 128000000);
    SetDlgItemText(IDC_VE_NAME, m_name.c_str());
    if (!m_pOutName) CControlAlias<CEdit>(this, IDC_VE_NAME).SetReadOnly();
    if (!m_editable) {
        size.SetReadOnly();
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_VE_SPIN_COLUMNS), FALSE);
    }
    const int digits = m_hex.GetDigitsPerItem();
    m_itemChoice = digits == 8 ? 2 : digits == 4 ? 1 : 0;
    FillBoxes();
    m_initialised = true;
    RunValueEditorStartHook(this);
    return FALSE;
}

void CBinaryDlg::FillBoxes()
{
    m_filling = true;
    m_columns = (unsigned)m_hex.GetItemsPerRow();
    m_size = (unsigned)std::max(0, m_hex.m_nDataSize);
    SetDlgItemText(IDC_VE_ROWS, std::to_string(m_columns).c_str());
    SetDlgItemText(IDC_VE_SIZE, std::to_string(m_size).c_str());
    for (int i = 0; i < 3; ++i)
        CControlAlias<CButton>(this, IDC_VE_ITEM1 + i).SetCheck(i == m_itemChoice ? 1 : 0);
    CControlAlias<CButton>(this, IDC_VE_AUTO_COLUMNS).SetCheck(m_autoColumns);
    m_filling = false;
}

void CBinaryDlg::OnHexResized()
{
    if (!m_initialised || m_filling || !m_hWnd) return;
    m_filling = true;
    m_size = (unsigned)std::max(0, m_hex.m_nDataSize);
    SetDlgItemText(IDC_VE_SIZE, std::to_string(m_size).c_str());
    m_filling = false;
}

void CBinaryDlg::ChooseItemSize(int choice)
{
    m_itemChoice = std::clamp(choice, 0, 2);
    m_hex.SetDigitsPerItem(DigitsOfChoice(m_itemChoice));
    if (m_autoColumns) m_hex.SetItemsPerRow(0);
    FillBoxes();
}

void CBinaryDlg::SetAutoColumns(bool on)
{
    m_autoColumns = on ? 1 : 0;
    if (on) m_hex.SetItemsPerRow(0);
    FillBoxes();
}

BOOL CBinaryDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    if (m_initialised && !m_filling) {
        if (id == IDC_VE_ROWS && code == EN_CHANGE) {
            m_columns = BoxUnsigned(GetDlgItemText(IDC_VE_ROWS));
            if (m_columns >= 1) m_hex.SetItemsPerRow((int)std::min(m_columns, 32000u));
            return TRUE;
        }
        if (id == IDC_VE_SIZE && code == EN_CHANGE) {
            if (!m_editable) return TRUE;
            const unsigned size = BoxUnsigned(GetDlgItemText(IDC_VE_SIZE));
            if (size >= 1 && size <= 128000000u) {
                m_size = size;
                m_hex.ResizeData(size);
            }
            return TRUE;
        }
        if (id == IDC_VE_NAME && code == EN_CHANGE) {
            m_name = GetDlgItemText(IDC_VE_NAME);
            return TRUE;
        }
        if (code == BN_CLICKED && id >= IDC_VE_ITEM1 && id <= IDC_VE_ITEM4) {
            ChooseItemSize((int)(id - IDC_VE_ITEM1));
            return TRUE;
        }
        if (code == BN_CLICKED && id == IDC_VE_AUTO_COLUMNS) {
            SetAutoColumns(CControlAlias<CButton>(this, IDC_VE_AUTO_COLUMNS).GetCheck() != 0);
            return TRUE;
        }
    }
    return LytDynamicDialog::OnCommand(wParam, lParam);
}

LRESULT CBinaryDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT r = LytDynamicDialog::WindowProc(message, wParam, lParam);
    if (message == WM_SHOWWINDOW && wParam && m_hex.m_hWnd) ::SetFocus(m_hex.m_hWnd);
    if (message == WM_SIZE && m_initialised && m_autoColumns) {
        m_hex.SetItemsPerRow(0);
        FillBoxes();
    }
    return r;
}

std::string CBinaryDlg::Literal() const { return BinaryLiteralText("", Bytes(), RowLength(), Digits()); }

void CBinaryDlg::OnOK()
{
    if (!ReadEditorName(*this, m_name, m_pOutName)) return;
    if (m_pHost) {
        m_pHost->InsertValueText(m_name, Literal());
        DestroyWindow();
        return;
    }
    // An editable editor's edits reach the caller's value (same type and mark).
    if (m_editable && m_pValue) StoreValueBytes(*m_pValue, Bytes());
    EndDialog(IDOK);
}

void CBinaryDlg::OnCancel() { EndValueEditor(*this, m_pHost, IDCANCEL); }

void CBinaryDlg::PostNcDestroy()
{
    if (m_pHost) m_pHost->ValueEditorClosed(this);   // deletes this
}
