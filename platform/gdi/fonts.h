#pragma once
// Fonts of the calling thread's pango font map (internal to gdi).
#include "platform/gdi/gdi_internal.h"
#include <pango/pangocairo.h>

struct CFontEntry {
    ~CFontEntry();
    std::string family;
    PangoFontDescription* desc = nullptr;
    PangoAttrList* attrs = nullptr;   // kerning and ligatures off, underline, strike-out
    CFontMetrics metrics;
    double pangoBaseline = 0;         // pango's ascent in pixels (layout top to baseline)
    double em = 0;
};

// The thread's font for a LOGFONT at a device height (its sign as lfHeight's).
CFontEntry* FontFor(const LOGFONT& lf, int deviceHeight);
// A one-line layout of the text (the caller unrefs it).
PangoLayout* MakeLayout(CFontEntry* font, const std::string& utf8);
// Rounded advances of the shown characters; they add up to the drawn width.
std::vector<int> FontAdvances(CFontEntry* font, const CShownText& shown);
void AppendUtf8(std::string& out, uint32_t cp);
std::vector<std::string> FontFamilies();
PangoContext* ThreadPangoContext();
