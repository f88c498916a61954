// The settings sheet's "Program" page: the variables refresh, the call
// depth limit that follows the stack size, the watcher gate and the
// program thread's priority.
#include "ide/dialogs/settings_sheet.h"

#include <cstdio>

#include "ide/dialogs/sets_page_util.h"
#include "ide/dialogs/settings_ids.h"
#include "ide/run/watch_gate.h"

namespace {
const char* const kPriorityNames[] = {"Idle", "Lowest", "Low", "Normal", "High", "Highest", "Critical"};
const int kPriorities[] = {-15, -2, -1, 0, 1, 2, 15};
constexpr int kPriorityCount = 7;
constexpr double kStackStep = 0.5;
}  // namespace

BEGIN_MESSAGE_MAP(CSetsProgram, CSetsPage)
    ON_CONTROL(EN_CHANGE, IDC_SETS_EDIT5, OnStackChanged)
    ON_NOTIFY(UDN_DELTAPOS, IDC_SETS_SPIN2, OnStackSpin)
END_MESSAGE_MAP()

CSetsProgram::CSetsProgram() : CSetsPage(SetsPageTemplate(IDD_SETS_PROGRAM), "Program")
{
    using namespace AppSettings;
    m_updatePeriod = VariablesUpdatePeriod;
    m_callCount = MaxCallDepth;
    m_stackMb = StackSize / 1048576.0;
    m_watcherCalls = WatcherCallsEnabled().load() ? 1 : 0;
    m_priority = 3;
    for (int i = 0; i < kPriorityCount; ++i)
        if (kPriorities[i] == ThreadPriority) m_priority = i;
}

int CSetsProgram::CallLimit(double stackMb) { return (int)(stackMb * 300); }

BOOL CSetsProgram::OnInitDialog()
{
    CControlAlias<CComboBox> priorities(this, IDC_SETS_PRIORITY);
    for (const char* s : kPriorityNames) priorities.AddString(s);
    // The stack spin counts half megabytes; its clicks are turned into text below.
    AttachSpin(m_hWnd, IDC_SETS_SPIN2, IDC_SETS_EDIT5, 2, 32);
    AttachSpin(m_hWnd, IDC_SETS_SPIN1, IDC_SETS_EDIT4, 1, CallLimit(m_stackMb));
    CPropertyPage::OnInitDialog();
    SetCallLimit(CallLimit(m_stackMb));
    return TRUE;
}

void CSetsProgram::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_SETS_EDIT1, m_updatePeriod);
    DDV_MinMaxInt(pDX, m_updatePeriod, 0, 900000);
    DDX_Text(pDX, IDC_SETS_EDIT5, m_stackMb);
    DDV_MinMaxDouble(pDX, m_stackMb, 1.0, 16.0);
    DDX_Text(pDX, IDC_SETS_EDIT4, m_callCount);
    DDV_MinMaxInt(pDX, m_callCount, 1, CallLimit(m_stackMb));
    DDX_Check(pDX, IDC_SETS_WATCHER, m_watcherCalls);
    DDX_ComboIndex(pDX, IDC_SETS_PRIORITY, m_priority);
}

void CSetsProgram::SetCallLimit(int maximum)
{
    if (maximum < 1) return;   // no usable stack size typed (yet)
    CControlAlias<CSpinButtonCtrl>(this, IDC_SETS_SPIN1).SetRange32(1, maximum);
    char text[64];
    std::snprintf(text, sizeof text, "Min: %d, Max: %d", 1, maximum);
    SetDlgItemText(IDC_SETS_CALL_LIMIT, text);
    const std::string count = GetDlgItemText(IDC_SETS_EDIT4);
    if (std::atoll(count.c_str()) > maximum) SetDlgItemText(IDC_SETS_EDIT4, std::to_string(maximum));
}

void CSetsProgram::OnStackChanged()
{
    const std::string text = GetDlgItemText(IDC_SETS_EDIT5);
    SetCallLimit(CallLimit(std::strtod(text.c_str(), nullptr)));
}

void CSetsProgram::OnStackSpin(NMHDR* hdr, LRESULT* result)
{
    const NMUPDOWN* ud = reinterpret_cast<const NMUPDOWN*>(hdr);
    double mb = std::strtod(GetDlgItemText(IDC_SETS_EDIT5).c_str(), nullptr) + ud->iDelta * kStackStep;
    mb = mb < 1.0 ? 1.0 : (mb > 16.0 ? 16.0 : mb);
    char text[32];
    std::snprintf(text, sizeof text, "%g", mb);
    SetDlgItemText(IDC_SETS_EDIT5, text);
    *result = 1;   // the edit holds the value, not the spin
}

BOOL CSetsProgram::OnApply()
{
    using namespace AppSettings;
    VariablesUpdatePeriod = m_updatePeriod;
    MaxCallDepth = m_callCount;
    StackSize = (int)(m_stackMb * 1048576);
    if (m_priority >= 0 && m_priority < kPriorityCount) ThreadPriority = kPriorities[m_priority];
    WatcherCallsEnabled().store(m_watcherCalls != 0);
    return CPropertyPage::OnApply();
}
