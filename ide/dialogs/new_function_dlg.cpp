// The new-function dialog and the skeleton it builds.
#include "ide/dialogs/new_function_dlg.h"

#include <cctype>

#include "platform/afx/win_app.h"
#include "platform/controls/controls.h"
#include "values/app_settings.h"

namespace {

const char kBlanks[] = " \t\r\n";

std::string TrimRight(const std::string& s)
{
    const size_t e = s.find_last_not_of(kBlanks);
    return e == std::string::npos ? std::string() : s.substr(0, e + 1);
}

std::string TrimLeft(const std::string& s)
{
    const size_t b = s.find_first_not_of(kBlanks);
    return b == std::string::npos ? std::string() : s.substr(b);
}

bool NameStart(char c, bool allowBracket)
{
    return std::isalpha((unsigned char)c) || c == '_' || (allowBracket && c == '[');
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string out;
    for (size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + names[i];
    return out;
}

const CDialogItemTemplate kItems[] = {
    {"Static", "&Function name:", (UINT)-1, 0, 7, 9, 70, 8, 0},
    {"Edit", "", IDC_NEWFN_NAME, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 80, 7, 150, 12, 0},
    {"Static", "&Input arguments:", (UINT)-1, 0, 7, 25, 70, 8, 0},
    {"Edit", "", IDC_NEWFN_INPUTS, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 80, 23, 150, 12, 0},
    {"Static", "&Output parameters:", (UINT)-1, 0, 7, 41, 70, 8, 0},
    {"Edit", "", IDC_NEWFN_OUTPUTS, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 80, 39, 150, 12, 0},
    {"Static", "&Description:", (UINT)-1, 0, 7, 57, 70, 8, 0},
    {"Edit", "", IDC_NEWFN_DESCRIPTION,
     ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 67, 223, 48, 0},
    {"Button", "&Insert", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 126, 122, 50, 14, 0},
    {"Button", "&Cancel", IDCANCEL, WS_TABSTOP, 180, 122, 50, 14, 0},
};
const CDialogTemplate kTemplate = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, "Add New Function",
                                   0, 0, 237, 143, kItems, sizeof kItems / sizeof kItems[0]};

}  // namespace

bool SplitNameList(const std::string& text, bool allowBracket, std::vector<std::string>& names)
{
    names.clear();
    std::string rest = TrimLeft(TrimRight(text));
    while (!rest.empty()) {
        if (!NameStart(rest[0], allowBracket)) return false;
        const size_t sep = rest.find_first_of(",;");
        if (sep == std::string::npos) {
            names.push_back(rest);
            break;
        }
        names.push_back(TrimRight(rest.substr(0, sep)));
        rest = TrimLeft(rest.substr(sep + 1));
    }
    return true;
}

NewFunctionFault BuildNewFunctionText(const std::string& rawName, const std::string& inputs,
                                      const std::string& outputs, const std::string& description,
                                      bool assignments, std::string& text)
{
    text.clear();
    const std::string name = TrimLeft(TrimRight(rawName));
    if (name.empty() || !NameStart(name[0], false)) return NEWFN_BAD_NAME;
    std::vector<std::string> ins, outs;
    if (!SplitNameList(inputs, true, ins)) return NEWFN_BAD_INPUTS;
    if (!SplitNameList(outputs, false, outs)) return NEWFN_BAD_OUTPUTS;

    // The edit box breaks lines with CR LF; the program text uses line feeds.
    std::string out = "%";
    for (size_t i = 0; i < description.size(); ++i) {
        const char c = description[i];
        if (c == '\r' && i + 1 < description.size() && description[i + 1] == '\n') continue;
        out += c;
        if (c == '\n') out += '%';
    }
    out += "\nfunction ";
    if (outs.size() == 1) out += outs[0];
    else if (outs.size() > 1) out += "[" + Joined(outs) + "]";
    if (!outs.empty()) out += " = ";
    out += name + "(" + Joined(ins) + ")\n";
    if (assignments)
        for (const std::string& o : outs) out += o + "=\n";
    out += "end\n";
    text = out.substr(0, out.find('\0'));
    return NEWFN_OK;
}

CNewFunctionDlg::CNewFunctionDlg(CWnd* parent) : CDialog(&kTemplate, parent), m_pParent(parent) {}

const CDialogTemplate* CNewFunctionDlg::Template() { return &kTemplate; }

void CNewFunctionDlg::OnOK()
{
    m_strName = GetDlgItemText(IDC_NEWFN_NAME);
    m_strInputs = GetDlgItemText(IDC_NEWFN_INPUTS);
    m_strOutputs = GetDlgItemText(IDC_NEWFN_OUTPUTS);
    m_strDescription = GetDlgItemText(IDC_NEWFN_DESCRIPTION);
    std::string text;
    const NewFunctionFault fault = BuildNewFunctionText(m_strName, m_strInputs, m_strOutputs, m_strDescription,
                                                        AppSettings::InsertAsExample, text);
    static const struct {
        const char* message;
        int box;
    } kFaults[] = {{nullptr, 0},
                   {"Invalid function name", IDC_NEWFN_NAME},
                   {"Invalid arguments declaration", IDC_NEWFN_INPUTS},
                   {"Invalid output parameters declaration", IDC_NEWFN_OUTPUTS}};
    if (fault != NEWFN_OK) {
        AfxMessageBox(kFaults[fault].message, MB_OK);
        if (HWND box = ::GetDlgItem(m_hWnd, kFaults[fault].box)) ::SetFocus(box);
        return;
    }
    m_strResult = text;
    EndDialog(IDOK);
}

std::string RunNewFunctionDialog(CWnd* owner)
{
    CNewFunctionDlg dlg(owner);
    return dlg.DoModal() == IDOK ? dlg.m_strResult : std::string();
}
