#pragma once
// The text model of the edit and rich-edit controls: bytes with one "\n" per
// line end, format runs and a line index. Both grow incrementally, so
// appending at the end and counting lines stay amortised O(1).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls/controls.h"

struct CCharFormat {
    DWORD effects = 0;          // CFE_BOLD .. CFE_PROTECTED
    LONG height = 200;          // twips
    LONG offset = 0;            // twips, positive up
    COLORREF color = 0;
    bool autoColor = true;
    std::string face = "Arial";
    bool operator==(const CCharFormat&) const = default;
};

// Applies the fields of a CHARFORMAT that its mask names.
void ApplyCharFormat(CCharFormat& f, const CHARFORMAT& cf);
CHARFORMAT ToCharFormat(const CCharFormat& f);

class CRichText {
public:
    struct Run {
        int start;
        int format;   // index into the format table
    };
    CRichText();
    const std::string& Text() const { return m_text; }
    int Length() const { return (int)m_text.size(); }
    // Changes with every change of the text or its runs.
    uint64_t Version() const { return m_version; }
    // The first position changed since the last call (INT32_MAX: none), so a
    // layout can redo only what follows it.
    int TakeChangedFrom()
    {
        const int p = m_changedFrom;
        m_changedFrom = INT32_MAX;
        return p;
    }
    // Interns a format; equal formats share one index.
    int Intern(const CCharFormat& f);
    const CCharFormat& Format(int index) const { return m_formats[(size_t)index]; }
    // The format index of the byte at pos (the last run's for the end).
    int FormatIndexAt(int pos) const;
    const std::vector<Run>& Runs() const { return m_runs; }
    // Replaces [a, b) by s in one format.
    void Replace(int a, int b, std::string_view s, int format);
    // Sets the properties the mask names on [a, b).
    void ApplyFormat(int a, int b, const CHARFORMAT& cf);
    // Sets [a, b) to the given format indices, one run list relative to a.
    void SetRuns(int a, int b, const std::vector<Run>& rel);
    // The runs of [a, b) relative to a.
    std::vector<Run> RunsOf(int a, int b) const;
    // What [a, b) has in common: the mask keeps the properties that agree.
    CHARFORMAT CommonFormat(int a, int b) const;
    bool AnyProtected(int a, int b) const;

    int LineCount() const { return (int)m_lineStart.size(); }
    int LineStart(int line) const { return m_lineStart[(size_t)line]; }
    int LineEnd(int line) const;   // before its "\n"
    int LineFromChar(int pos) const;

    // Steps one whole UTF-8 character (a byte that is not part of a valid
    // sequence is a character of its own).
    int NextChar(int pos) const;
    int PrevChar(int pos) const;

private:
    uint64_t m_version = 0;
    int m_changedFrom = INT32_MAX;
    void SplitAt(int pos);
    void MergeAround(size_t i);
    std::string m_text;
    std::vector<CCharFormat> m_formats;
    std::vector<Run> m_runs;        // never empty; m_runs[0].start == 0
    std::vector<int> m_lineStart;   // never empty; m_lineStart[0] == 0
};

std::string EncodeUtf8(uint32_t cp);

// RTF. The writer is exact (golden files); the reader takes the writer's form
// and common hand-written input, bounded in depth, numbers and table sizes.
std::string WriteRtf(const CRichText& text, int a, int b);
// Reads RTF into plain bytes and runs (relative to 0); false when the input
// is not RTF or is malformed beyond use.
struct CRtfContent {
    std::string text;
    std::vector<CCharFormat> formats;   // one per run
    std::vector<int> runStarts;
};
bool ReadRtf(std::string_view rtf, const CCharFormat& base, CRtfContent* out);
