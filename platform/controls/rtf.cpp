// RTF out (exact, for golden files) and in (bounded: untrusted files).
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/controls/rich_text.h"

namespace {
// Half points from twips, rounded.
int HalfPoints(LONG twips) { return (int)((twips >= 0 ? twips + 5 : twips - 5) / 10); }

void AppendSigned(std::string& out, int v)
{
    char buf[16];
    snprintf(buf, sizeof buf, "%d", v);
    out += buf;
}
}  // namespace

namespace {

// The font and colour tables in first-use order; colour 0 is the auto entry.
struct RtfTables {
    std::vector<std::string> faces;
    std::vector<COLORREF> colours;

    int FaceIndex(const std::string& f)
    {
        auto it = std::find(faces.begin(), faces.end(), f);
        if (it != faces.end()) return (int)(it - faces.begin());
        faces.push_back(f);
        return (int)faces.size() - 1;
    }
    int ColourIndex(const CCharFormat& f)
    {
        if (f.autoColor) return 0;
        auto it = std::find(colours.begin(), colours.end(), f.color);
        if (it != colours.end()) return (int)(it - colours.begin()) + 1;
        colours.push_back(f.color);
        return (int)colours.size();
    }
    void Write(std::string& out) const
    {
        for (size_t i = 0; i < faces.size(); ++i) {
            out += "{\\f";
            AppendSigned(out, (int)i);
            out += "\\fnil ";
            for (char c : faces[i])
                if (c != ';' && c != '{' && c != '}' && c != '\\') out += c;
            out += ";}";
        }
        out += "}\r\n{\\colortbl ;";
        for (COLORREF c : colours) {
            char buf[64];
            snprintf(buf, sizeof buf, "\\red%u\\green%u\\blue%u;", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
            out += buf;
        }
        out += "}\r\n";
    }
};

// Properties written so far; -1 and a flag mean "not yet written".
struct RtfWritten {
    int font = -1, size = -1, colour = 0, offset = 0;
    DWORD effects = 0;
};

// The control words that change the written properties to those of `f`.
std::string FormatWords(const CCharFormat& f, RtfTables& tables, RtfWritten& cur)
{
    std::string words;
    auto word = [&](const char* w, int n, bool withNumber) {
        words += '\\';
        words += w;
        if (withNumber) AppendSigned(words, n);
    };
    int fi = tables.FaceIndex(f.face);
    if (fi != cur.font) word("f", fi, true), cur.font = fi;
    int hp = HalfPoints(f.height);
    if (hp != cur.size) word("fs", hp, true), cur.size = hp;
    int ci = tables.ColourIndex(f);
    if (ci != cur.colour) word("cf", ci, true), cur.colour = ci;
    struct {
        DWORD bit;
        const char* on;
        const char* off;
    } const flags[] = {{CFE_BOLD, "b", "b0"},
                       {CFE_ITALIC, "i", "i0"},
                       {CFE_UNDERLINE, "ul", "ulnone"},
                       {CFE_STRIKEOUT, "strike", "strike0"},
                       {CFE_PROTECTED, "protect", "protect0"}};
    for (const auto& fl : flags)
        if ((f.effects ^ cur.effects) & fl.bit) word((f.effects & fl.bit) ? fl.on : fl.off, 0, false);
    cur.effects = f.effects & 0x1F;
    int off = HalfPoints(f.offset);
    if (off != cur.offset) {
        if (off > 0) word("up", off, true);
        else if (off < 0) word("dn", -off, true);
        else word("up", 0, true);
        cur.offset = off;
    }
    return words;
}

// A byte that is not plain ASCII: a valid UTF-8 character as \uN? (two for
// a surrogate pair), any other byte as \'hh. Returns the bytes taken.
int AppendNonAscii(std::string& out, const std::string& s, int i, int re)
{
    const unsigned char c = (unsigned char)s[(size_t)i];
    uint32_t cp = 0;
    int n = c >= 0x80 ? Utf8Length(s.data() + i, (size_t)re - (size_t)i, &cp) : 0;
    if (n > 0) {
        auto u = [&](uint32_t unit) {
            out += "\\u";
            AppendSigned(out, unit > 32767 ? (int)unit - 65536 : (int)unit);
            out += '?';
        };
        if (cp > 0xFFFF) {
            cp -= 0x10000;
            u(0xD800 + (cp >> 10));
            u(0xDC00 + (cp & 0x3FF));
        } else {
            u(cp);
        }
        return n;
    }
    char buf[8];
    snprintf(buf, sizeof buf, "\\'%02x", c);
    out += buf;
    return 1;
}

void AppendRtfText(std::string& out, const std::string& s, int rs, int re)
{
    for (int i = rs; i < re;) {
        const unsigned char c = (unsigned char)s[(size_t)i];
        if (c == '\n') {
            out += "\\par\r\n";
            ++i;
        } else if (c == '\t') {
            out += "\\tab ";
            ++i;
        } else if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += (char)c;
            ++i;
        } else if (c >= 0x20 && c < 0x80) {
            out += (char)c;
            ++i;
        } else {
            i += AppendNonAscii(out, s, i, re);
        }
    }
}
}  // namespace

std::string WriteRtf(const CRichText& text, int a, int b)
{
    a = std::clamp(a, 0, text.Length());
    b = std::clamp(b, a, text.Length());
    std::vector<CRichText::Run> runs = text.RunsOf(a, b);
    RtfTables tables;
    for (const auto& r : runs) {
        tables.FaceIndex(text.Format(r.format).face);
        tables.ColourIndex(text.Format(r.format));
    }
    if (tables.faces.empty()) tables.FaceIndex(text.Format(text.FormatIndexAt(a)).face);
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl";
    tables.Write(out);
    RtfWritten written;
    for (size_t ri = 0; ri < runs.size(); ++ri) {
        const int rs = a + runs[ri].start;
        const int re = ri + 1 < runs.size() ? a + runs[ri + 1].start : b;
        std::string words = FormatWords(text.Format(runs[ri].format), tables, written);
        if (!words.empty()) out += words + " ";
        AppendRtfText(out, text.Text(), rs, re);
    }
    out += "}";
    return out;
}

namespace {
constexpr int kMaxDepth = 64;
constexpr size_t kMaxTable = 1024;
constexpr int kMaxUc = 8;

struct RtfState {
    CCharFormat fmt;
    int uc = 1;
    enum Dest { Text, Skip, FontTable, ColourTable } dest = Text;
};

class RtfReader {
public:
    RtfReader(std::string_view in, const CCharFormat& base, CRtfContent* out) : m_in(in), m_base(base), m_out(out) {}
    bool Run();

private:
    void Emit(const std::string& bytes)
    {
        if (bytes.empty()) return;
        const CCharFormat& f = m_stack.back().fmt;
        if (m_out->formats.empty() || !(m_out->formats.back() == f)) {
            m_out->formats.push_back(f);
            m_out->runStarts.push_back((int)m_out->text.size());
        }
        m_out->text += bytes;
    }
    void EmitCodePoint(uint32_t cp)
    {
        if (m_pendingHigh) {
            uint32_t hi = m_pendingHigh;
            m_pendingHigh = 0;
            if (cp >= 0xDC00 && cp <= 0xDFFF) {
                Emit(EncodeUtf8(0x10000 + ((hi - 0xD800) << 10) + (cp - 0xDC00)));
                return;
            }
            Emit(EncodeUtf8(0xFFFD));
        }
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            m_pendingHigh = cp;
            return;
        }
        Emit(EncodeUtf8(cp));
    }
    void Text(const std::string& bytes)
    {
        if (bytes.empty()) return;
        RtfState& st = m_stack.back();
        if (st.dest == RtfState::Text) {
            if (m_pendingHigh) {
                m_pendingHigh = 0;
                Emit(EncodeUtf8(0xFFFD));
            }
            Emit(bytes);
        } else if (st.dest == RtfState::FontTable) {
            for (char c : bytes) {
                if (c == ';') {
                    if (m_fontId >= 0 && m_fonts.size() < kMaxTable) m_fonts.emplace_back(m_fontId, m_fontName);
                    m_fontName.clear();
                } else if (m_fontName.size() < 31 && (unsigned char)c >= 0x20) {
                    m_fontName += c;
                }
            }
        } else if (st.dest == RtfState::ColourTable) {
            for (char c : bytes)
                if (c == ';' && m_colours.size() < kMaxTable) {
                    m_colours.push_back(m_colourSet ? (int)m_colour : -1);
                    m_colour = 0;
                    m_colourSet = false;
                }
        }
    }
    // What one step of the reading loop tells it.
    enum class Step { Go, Done, Fail, End };
    Step OpenGroup(size_t& depth);
    Step CloseGroup(size_t& depth);
    Step Escape();
    void ControlWord();
    void HexByte();
    void Literal();
    void Word(const std::string& w, bool hasNum, long num);
    bool OpensDestination(const std::string& w, RtfState& st);
    void TextWord(RtfState& st, const std::string& w, bool hasNum, long num);
    COLORREF ColourOf(long index, bool* autoColor) const
    {
        *autoColor = true;
        if (index <= 0 || (size_t)index >= m_colours.size() || m_colours[(size_t)index] < 0) return 0;
        *autoColor = false;
        return (COLORREF)m_colours[(size_t)index];
    }

    std::string_view m_in;
    size_t m_pos = 0;
    CCharFormat m_base;
    CRtfContent* m_out;
    std::vector<RtfState> m_stack;
    uint32_t m_pendingHigh = 0;
    int m_skipFallback = 0;
    std::vector<std::pair<long, std::string>> m_fonts;
    long m_fontId = -1;
    std::string m_fontName;
    std::vector<int> m_colours;
    COLORREF m_colour = 0;
    bool m_colourSet = false;
    bool m_groupStart = false;   // the next word is the group's first
    bool m_starred = false;
};

void RtfReader::Word(const std::string& w, bool hasNum, long num)
{
    RtfState& st = m_stack.back();
    const bool first = m_groupStart;
    m_groupStart = false;
    if (w == "*") {
        m_starred = true;
        st.dest = RtfState::Skip;
        return;
    }
    if (first && OpensDestination(w, st)) return;
    if (st.dest == RtfState::Skip) return;
    if (st.dest == RtfState::FontTable) {
        if (w == "f" && hasNum) {
            m_fontId = num;
            m_fontName.clear();
        }
        return;
    }
    if (st.dest == RtfState::ColourTable) {
        const int v = (int)std::clamp(num, 0L, 255L);
        if (w == "red") m_colour = (m_colour & ~0xFFu) | (COLORREF)v, m_colourSet = true;
        else if (w == "green") m_colour = (m_colour & ~0xFF00u) | ((COLORREF)v << 8), m_colourSet = true;
        else if (w == "blue") m_colour = (m_colour & ~0xFF0000u) | ((COLORREF)v << 16), m_colourSet = true;
        return;
    }
    TextWord(st, w, hasNum, num);
}

// The first word of a group that opens a table or a destination skipped whole.
bool RtfReader::OpensDestination(const std::string& w, RtfState& st)
{
    static const char* const skipped[] = {"info", "stylesheet", "pict", "object", "header", "footer", "headerl",
                                          "headerr", "footerl", "footerr", "footnote", "filetbl", "listtable",
                                          "listoverridetable", "rsidtbl", "generator", "author", "title",
                                          "xmlnstbl", "themedata", "colorschememapping", "latentstyles",
                                          "datastore", "field", "fldinst", "bkmkstart", "bkmkend", "nonshppict",
                                          "shppict", "revtbl", "operator", "company"};
    if (w == "fonttbl") {
        st.dest = RtfState::FontTable;
        return true;
    }
    if (w == "colortbl") {
        st.dest = RtfState::ColourTable;
        return true;
    }
    for (const char* s : skipped)
        if (w == s) {
            st.dest = RtfState::Skip;
            return true;
        }
    return false;
}

// A word in the text: a character, or a change of the character format.
void RtfReader::TextWord(RtfState& st, const std::string& w, bool hasNum, long num)
{
    CCharFormat& f = st.fmt;
    auto flag = [&](DWORD bit) {
        if (!hasNum || num != 0) f.effects |= bit;
        else f.effects &= ~bit;
    };
    if (w == "par" || w == "line") Text("\n");
    else if (w == "tab") Text("\t");
    else if (w == "plain") f = m_base;
    else if (w == "b") flag(CFE_BOLD);
    else if (w == "i") flag(CFE_ITALIC);
    else if (w == "ul") flag(CFE_UNDERLINE);
    else if (w == "ulnone") f.effects &= ~CFE_UNDERLINE;
    else if (w == "strike") flag(CFE_STRIKEOUT);
    else if (w == "protect") flag(CFE_PROTECTED);
    else if (w == "fs" && hasNum) f.height = (LONG)std::clamp(num, 1L, 3276L) * 10;
    else if (w == "up") f.offset = (LONG)std::clamp(hasNum ? num : 6L, 0L, 3276L) * 10;
    else if (w == "dn") f.offset = -(LONG)std::clamp(hasNum ? num : 6L, 0L, 3276L) * 10;
    else if (w == "cf") {
        bool autoColor;
        f.color = ColourOf(hasNum ? num : 0, &autoColor);
        f.autoColor = autoColor;
    } else if (w == "f" && hasNum) {
        for (const auto& [id, name] : m_fonts)
            if (id == num) f.face = name.empty() ? m_base.face : name;
    } else if (w == "uc") {
        st.uc = (int)std::clamp(hasNum ? num : 1L, 0L, (long)kMaxUc);
    } else if (w == "u" && hasNum) {
        long v = std::clamp(num, -32768L, 65535L);
        if (v < 0) v += 65536;
        EmitCodePoint((uint32_t)v);
        m_skipFallback = st.uc;
    }
    // \pard and every other word change nothing we keep.
}

bool RtfReader::Run()
{
    if (m_in.substr(0, 5) != "{\\rtf") return false;
    m_stack.push_back(RtfState{m_base});
    size_t depth = 0;
    while (m_pos < m_in.size()) {
        const char c = m_in[m_pos];
        Step step = Step::Go;
        if (c == '{') step = OpenGroup(depth);
        else if (c == '}') step = CloseGroup(depth);
        else if (c == '\r' || c == '\n') ++m_pos;
        else if (c == '\\') step = Escape();
        else Literal();
        if (step == Step::Done) return true;
        if (step == Step::Fail) return false;
        if (step == Step::End) break;
    }
    // Ran out of input inside the document group: keep what was read.
    return !m_stack.empty();
}

RtfReader::Step RtfReader::OpenGroup(size_t& depth)
{
    ++m_pos;
    if (depth >= kMaxDepth) return Step::Fail;
    ++depth;
    m_stack.push_back(m_stack.back());
    m_groupStart = true;
    m_skipFallback = 0;
    return Step::Go;
}

RtfReader::Step RtfReader::CloseGroup(size_t& depth)
{
    ++m_pos;
    m_skipFallback = 0;
    if (depth == 0) return Step::Fail;
    // A font entry closed by its group.
    if (m_stack.back().dest == RtfState::FontTable && m_stack[m_stack.size() - 2].dest == RtfState::FontTable &&
        !m_fontName.empty() && m_fontId >= 0 && m_fonts.size() < kMaxTable) {
        m_fonts.emplace_back(m_fontId, m_fontName);
        m_fontName.clear();
    }
    m_stack.pop_back();
    --depth;
    if (depth == 0) {
        m_stack.pop_back();
        m_stack.push_back(RtfState{m_base});
        if (m_pendingHigh) EmitCodePoint(0xFFFD), m_pendingHigh = 0;
        return Step::Done;   // the document's group ends
    }
    return Step::Go;
}

// A backslash: a control word, a hex byte or a control symbol.
RtfReader::Step RtfReader::Escape()
{
    ++m_pos;
    if (m_pos >= m_in.size()) return Step::End;
    const char d = m_in[m_pos];
    if (std::isalpha((unsigned char)d)) {
        ControlWord();
        return Step::Go;
    }
    ++m_pos;
    if (d == '\'') {
        HexByte();
        return Step::Go;
    }
    m_groupStart = false;
    if (d == '*') {
        Word("*", false, 0);
        return Step::Go;
    }
    if (m_skipFallback > 0) {
        --m_skipFallback;
        return Step::Go;
    }
    if (d == '\\' || d == '{' || d == '}') Text(std::string(1, d));
    else if (d == '~') Text("\xC2\xA0");
    else if (d == '-' || d == '_') Text(d == '_' ? "-" : "");
    return Step::Go;
}

void RtfReader::ControlWord()
{
    std::string w;
    while (m_pos < m_in.size() && std::isalpha((unsigned char)m_in[m_pos]) && w.size() < 32) w += m_in[m_pos++];
    while (m_pos < m_in.size() && std::isalpha((unsigned char)m_in[m_pos])) ++m_pos;
    bool neg = false, hasNum = false;
    long num = 0;
    if (m_pos < m_in.size() && m_in[m_pos] == '-') neg = true, ++m_pos;
    int digits = 0;
    while (m_pos < m_in.size() && std::isdigit((unsigned char)m_in[m_pos])) {
        if (digits < 9) num = num * 10 + (m_in[m_pos] - '0');
        ++digits;
        ++m_pos;
        hasNum = true;
    }
    if (neg) num = -num;
    if (m_pos < m_in.size() && m_in[m_pos] == ' ') ++m_pos;
    const bool wasSkipping = m_skipFallback > 0;
    if (wasSkipping && w != "u") {
        // Control words do not count as fallback characters, except \par and the like.
        if (w == "par" || w == "line" || w == "tab") {
            --m_skipFallback;
            return;
        }
    }
    Word(w, hasNum, num);
}

void RtfReader::HexByte()
{
    int v = 0;
    int n = 0;
    while (n < 2 && m_pos < m_in.size() && std::isxdigit((unsigned char)m_in[m_pos])) {
        const char h = m_in[m_pos++];
        v = v * 16 + (std::isdigit((unsigned char)h) ? h - '0' : (std::tolower((unsigned char)h) - 'a' + 10));
        ++n;
    }
    m_groupStart = false;
    if (m_skipFallback > 0) {
        --m_skipFallback;
        return;
    }
    if (n > 0) Text(std::string(1, (char)v));
}

// Literal text, up to the next special character.
void RtfReader::Literal()
{
    m_groupStart = false;
    size_t e = m_pos;
    while (e < m_in.size() && m_in[e] != '\\' && m_in[e] != '{' && m_in[e] != '}' && m_in[e] != '\r' &&
           m_in[e] != '\n')
        ++e;
    std::string lit(m_in.substr(m_pos, e - m_pos));
    m_pos = e;
    if (m_skipFallback > 0) {
        size_t k = std::min(lit.size(), (size_t)m_skipFallback);
        m_skipFallback -= (int)k;
        lit.erase(0, k);
    }
    Text(lit);
}
}  // namespace

bool ReadRtf(std::string_view rtf, const CCharFormat& base, CRtfContent* out)
{
    *out = CRtfContent{};
    RtfReader r(rtf, base, out);
    if (!r.Run()) {
        *out = CRtfContent{};
        return false;
    }
    return true;
}
