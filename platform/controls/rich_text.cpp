// The text model: bytes, format runs, the line index.
#include "platform/controls/rich_text.h"

#include <algorithm>
#include <cstring>

void ApplyCharFormat(CCharFormat& f, const CHARFORMAT& cf)
{
    const DWORD effectBits = cf.dwMask & (CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED);
    f.effects = (f.effects & ~effectBits) | (cf.dwEffects & effectBits);
    if (cf.dwMask & CFM_SIZE) f.height = std::clamp<LONG>(cf.yHeight, 1, 32767);
    if (cf.dwMask & CFM_OFFSET) f.offset = std::clamp<LONG>(cf.yOffset, -32767, 32767);
    if (cf.dwMask & CFM_COLOR) {
        f.autoColor = (cf.dwEffects & CFE_AUTOCOLOR) != 0;
        f.color = f.autoColor ? 0 : (cf.crTextColor & 0xFFFFFF);
    }
    if ((cf.dwMask & CFM_FACE) && cf.szFaceName[0]) f.face.assign(cf.szFaceName, strnlen(cf.szFaceName, 31));
}

CHARFORMAT ToCharFormat(const CCharFormat& f)
{
    CHARFORMAT cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_ALL;
    cf.dwEffects = f.effects | (f.autoColor ? CFE_AUTOCOLOR : 0);
    cf.yHeight = f.height;
    cf.yOffset = f.offset;
    cf.crTextColor = f.color;
    cf.bCharSet = 1;
    snprintf(cf.szFaceName, sizeof cf.szFaceName, "%s", f.face.c_str());
    return cf;
}

CRichText::CRichText()
{
    m_formats.push_back(CCharFormat{});
    m_runs.push_back(Run{0, 0});
    m_lineStart.push_back(0);
}

int CRichText::Intern(const CCharFormat& f)
{
    // The last few formats are the likely ones (appends in a few styles).
    for (size_t i = m_formats.size(); i-- > 0;)
        if (m_formats[i] == f) return (int)i;
    m_formats.push_back(f);
    return (int)m_formats.size() - 1;
}

int CRichText::FormatIndexAt(int pos) const
{
    auto it = std::upper_bound(m_runs.begin(), m_runs.end(), pos,
                               [](int p, const Run& r) { return p < r.start; });
    return (it == m_runs.begin() ? m_runs.front() : *(it - 1)).format;
}

void CRichText::SplitAt(int pos)
{
    if (pos <= 0 || pos >= Length()) return;
    auto it = std::upper_bound(m_runs.begin(), m_runs.end(), pos,
                               [](int p, const Run& r) { return p < r.start; });
    const Run& before = *(it - 1);
    if (before.start == pos) return;
    m_runs.insert(it, Run{pos, before.format});
}

void CRichText::MergeAround(size_t i)
{
    size_t lo = i > 1 ? i - 1 : 1, hi = std::min(i + 2, m_runs.size());
    for (size_t k = hi; k-- > lo;) {
        if (k < m_runs.size() && k > 0 &&
            (m_runs[k].format == m_runs[k - 1].format || m_runs[k].start == m_runs[k - 1].start))
            m_runs.erase(m_runs.begin() + (ptrdiff_t)k);
    }
    // A run that starts at the end is empty (unless it is the only one).
    while (m_runs.size() > 1 && m_runs.back().start >= Length()) m_runs.pop_back();
    m_runs[0].start = 0;
}

void CRichText::Replace(int a, int b, std::string_view s, int format)
{
    ++m_version;
    m_changedFrom = std::min(m_changedFrom, std::max(a, 0));
    const int len = Length();
    a = std::clamp(a, 0, len);
    b = std::clamp(b, a, len);
    const int delta = (int)s.size() - (b - a);
    // Runs.
    SplitAt(a);
    SplitAt(b);
    auto first = std::lower_bound(m_runs.begin(), m_runs.end(), a, [](const Run& r, int p) { return r.start < p; });
    auto last = std::lower_bound(first, m_runs.end(), b, [](const Run& r, int p) { return r.start < p; });
    size_t at = (size_t)(first - m_runs.begin());
    m_runs.erase(first, last);
    for (size_t k = at; k < m_runs.size(); ++k) m_runs[k].start += delta;
    // Lines: starts in (a, b] go, later ones shift, new ones come from s.
    auto lfirst = std::upper_bound(m_lineStart.begin(), m_lineStart.end(), a);
    auto llast = std::upper_bound(lfirst, m_lineStart.end(), b);
    size_t lat = (size_t)(lfirst - m_lineStart.begin());
    m_lineStart.erase(lfirst, llast);
    for (size_t k = lat; k < m_lineStart.size(); ++k) m_lineStart[k] += delta;
    std::vector<int> added;
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] == '\n') added.push_back(a + (int)i + 1);
    m_lineStart.insert(m_lineStart.begin() + (ptrdiff_t)lat, added.begin(), added.end());
    m_text.replace((size_t)a, (size_t)(b - a), s);
    if (!s.empty()) {
        m_runs.insert(m_runs.begin() + (ptrdiff_t)at, Run{a, format});
    }
    if (m_runs.empty()) m_runs.push_back(Run{0, format});
    MergeAround(at);
}

void CRichText::ApplyFormat(int a, int b, const CHARFORMAT& cf)
{
    std::vector<Run> rel = RunsOf(a, b);
    for (Run& r : rel) {
        CCharFormat f = m_formats[(size_t)r.format];
        ApplyCharFormat(f, cf);
        r.format = Intern(f);
    }
    SetRuns(a, b, rel);
}

std::vector<CRichText::Run> CRichText::RunsOf(int a, int b) const
{
    std::vector<Run> out;
    a = std::clamp(a, 0, Length());
    b = std::clamp(b, a, Length());
    if (a == b) return out;
    auto it = std::upper_bound(m_runs.begin(), m_runs.end(), a, [](int p, const Run& r) { return p < r.start; }) - 1;
    for (; it != m_runs.end() && it->start < b; ++it) out.push_back(Run{std::max(it->start, a) - a, it->format});
    return out;
}

void CRichText::SetRuns(int a, int b, const std::vector<Run>& rel)
{
    ++m_version;
    m_changedFrom = std::min(m_changedFrom, std::max(a, 0));
    a = std::clamp(a, 0, Length());
    b = std::clamp(b, a, Length());
    if (rel.empty() || a == b) return;
    SplitAt(a);
    SplitAt(b);
    auto first = std::lower_bound(m_runs.begin(), m_runs.end(), a, [](const Run& r, int p) { return r.start < p; });
    auto last = std::lower_bound(first, m_runs.end(), b, [](const Run& r, int p) { return r.start < p; });
    size_t at = (size_t)(first - m_runs.begin());
    m_runs.erase(first, last);
    std::vector<Run> abs;
    for (const Run& r : rel)
        if (a + r.start < b) abs.push_back(Run{a + r.start, r.format});
    m_runs.insert(m_runs.begin() + (ptrdiff_t)at, abs.begin(), abs.end());
    // Merge equal neighbours over the touched span.
    size_t lo = at > 0 ? at - 1 : 0, hi = std::min(at + abs.size() + 1, m_runs.size());
    std::vector<Run> merged(m_runs.begin() + (ptrdiff_t)lo, m_runs.begin() + (ptrdiff_t)hi);
    std::vector<Run> out;
    for (const Run& r : merged)
        if (out.empty() || out.back().format != r.format) out.push_back(r);
    m_runs.erase(m_runs.begin() + (ptrdiff_t)lo, m_runs.begin() + (ptrdiff_t)hi);
    m_runs.insert(m_runs.begin() + (ptrdiff_t)lo, out.begin(), out.end());
    m_runs[0].start = 0;
}

CHARFORMAT CRichText::CommonFormat(int a, int b) const
{
    if (b <= a) return ToCharFormat(m_formats[(size_t)FormatIndexAt(a > 0 ? a - 1 : 0)]);
    std::vector<Run> rel = RunsOf(a, b);
    const CCharFormat& f0 = m_formats[(size_t)rel[0].format];
    CHARFORMAT cf = ToCharFormat(f0);
    for (const Run& r : rel) {
        const CCharFormat& f = m_formats[(size_t)r.format];
        DWORD diff = f.effects ^ f0.effects;
        cf.dwMask &= ~(diff & 0x1F);
        if (f.height != f0.height) cf.dwMask &= ~CFM_SIZE;
        if (f.offset != f0.offset) cf.dwMask &= ~CFM_OFFSET;
        if (f.autoColor != f0.autoColor || f.color != f0.color) cf.dwMask &= ~CFM_COLOR;
        if (f.face != f0.face) cf.dwMask &= ~CFM_FACE;
    }
    return cf;
}

bool CRichText::AnyProtected(int a, int b) const
{
    for (const Run& r : RunsOf(a, b))
        if (m_formats[(size_t)r.format].effects & CFE_PROTECTED) return true;
    return false;
}

int CRichText::LineEnd(int line) const
{
    if (line + 1 < LineCount()) return m_lineStart[(size_t)line + 1] - 1;
    return Length();
}

int CRichText::LineFromChar(int pos) const
{
    auto it = std::upper_bound(m_lineStart.begin(), m_lineStart.end(), pos);
    return (int)(it - m_lineStart.begin()) - 1;
}

std::string EncodeUtf8(uint32_t cp)
{
    std::string s;
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
    if (cp > 0x10FFFF) cp = 0xFFFD;
    if (cp < 0x80) {
        s += (char)cp;
    } else if (cp < 0x800) {
        s += (char)(0xC0 | (cp >> 6));
        s += (char)(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += (char)(0xE0 | (cp >> 12));
        s += (char)(0x80 | ((cp >> 6) & 0x3F));
        s += (char)(0x80 | (cp & 0x3F));
    } else {
        s += (char)(0xF0 | (cp >> 18));
        s += (char)(0x80 | ((cp >> 12) & 0x3F));
        s += (char)(0x80 | ((cp >> 6) & 0x3F));
        s += (char)(0x80 | (cp & 0x3F));
    }
    return s;
}

int CRichText::NextChar(int pos) const
{
    if (pos >= Length()) return Length();
    int n = Utf8Length(m_text.data() + pos, m_text.size() - (size_t)pos);
    return pos + std::max(n, 1);
}

int CRichText::PrevChar(int pos) const
{
    if (pos <= 0) return 0;
    // A valid sequence of up to four bytes that ends right at pos.
    for (int k = 2; k <= 4 && pos - k >= 0; ++k)
        if (Utf8Length(m_text.data() + (pos - k), m_text.size() - (size_t)(pos - k)) == k) return pos - k;
    return pos - 1;
}
