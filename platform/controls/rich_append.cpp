// Output gathered for the end of a rich-edit window.
#include "platform/controls/rich_append.h"

#include <cstring>

#include "platform/controls/rich_text.h"

namespace {

bool SameFormat(const CHARFORMAT& a, const CHARFORMAT& b)
{
    if (a.dwMask != b.dwMask) return false;
    if (a.dwMask == 0) return true;
    return a.dwEffects == b.dwEffects && a.yHeight == b.yHeight && a.yOffset == b.yOffset &&
           a.crTextColor == b.crTextColor && a.bCharSet == b.bCharSet &&
           std::strncmp(a.szFaceName, b.szFaceName, sizeof a.szFaceName) == 0;
}

}  // namespace

void CRichAppendQueue::Add(std::string_view text, const CHARFORMAT* format)
{
    if (text.empty()) return;
    CHARFORMAT f{};
    f.cbSize = sizeof f;
    if (format) {
        f = *format;
        f.cbSize = sizeof f;
    }
    if (m_runs.empty() || !SameFormat(m_runs.back().format, f)) m_runs.push_back(Run{m_text.size(), f});
    m_text.append(text);
}

void CRichAppendQueue::Clear()
{
    m_text.clear();
    m_runs.clear();
}

void CRichAppendQueue::PutInto(CRichEditCtrl& ctrl, const CHARFORMAT* next)
{
    if (m_text.empty()) return;
    CHARFORMAT def{};
    def.cbSize = sizeof def;
    ctrl.GetDefaultCharFormat(def);
    CCharFormat base;
    ApplyCharFormat(base, def);
    long at = ctrl.GetTextLength();
    for (size_t i = 0; i < m_runs.size(); ++i) {
        const size_t end = i + 1 < m_runs.size() ? m_runs[i + 1].start : m_text.size();
        // The control takes text up to a NUL; write the run as it stands.
        const std::string text = m_text.substr(m_runs[i].start, end - m_runs[i].start);
        CCharFormat f = base;
        ApplyCharFormat(f, m_runs[i].format);
        CHARFORMAT cf = ToCharFormat(f);
        ctrl.SetSel(at, at);
        ctrl.SetSelectionCharFormat(cf);
        ctrl.ReplaceSel(text.c_str());
        at = ctrl.GetTextLength();
    }
    // What is inserted next, by anyone, takes the format asked for, not the
    // last run's.
    ctrl.SetSel(at, at);
    CCharFormat n = base;
    if (next) ApplyCharFormat(n, *next);
    CHARFORMAT after = ToCharFormat(n);
    ctrl.SetSelectionCharFormat(after);
    Clear();
}
