// Fonts: LOGFONT -> pango font through the face table and fontconfig, one
// pango font map per thread with its cache by LOGFONT and device height,
// hinted metrics with kerning and ligatures off so extents add up, and the
// display rule that turns stored bytes into shown characters.
#include "platform/gdi/fonts.h"
#include <cmath>
#include <cstring>
#include <fontconfig/fontconfig.h>
#include <map>
#include <strings.h>

// --- the display rule -----------------------------------------------------------

namespace {

// Windows-1252 0x80..0x9F; its holes show as the Latin-1 control of the byte.
const uint16_t kCp1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                              0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                              0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}   // namespace

int Utf8Length(const char* s, size_t left, uint32_t* cp)
{
    const auto* p = (const unsigned char*)s;
    unsigned c = p[0];
    if (c < 0x80) {
        if (cp) *cp = c;
        return 1;
    }
    int n;
    uint32_t v, min;
    if ((c & 0xE0) == 0xC0) n = 2, v = c & 0x1F, min = 0x80;
    else if ((c & 0xF0) == 0xE0) n = 3, v = c & 0x0F, min = 0x800;
    else if ((c & 0xF8) == 0xF0) n = 4, v = c & 0x07, min = 0x10000;
    else return 0;
    if ((size_t)n > left) return 0;
    for (int i = 1; i < n; i++) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        v = (v << 6) | (p[i] & 0x3F);
    }
    if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
    if (cp) *cp = v;
    return n;
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += (char)cp;
    } else if (cp < 0x800) {
        out += (char)(0xC0 | (cp >> 6));
        out += (char)(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += (char)(0xE0 | (cp >> 12));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    } else {
        out += (char)(0xF0 | (cp >> 18));
        out += (char)(0x80 | ((cp >> 12) & 0x3F));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    }
}

CShownText ShowBytes(const char* text, size_t count)
{
    CShownText s;
    if (!text) count = 0;
    const auto* p = (const unsigned char*)text;
    size_t i = 0;
    while (i < count) {
        uint32_t cp;
        int n = Utf8Length(text + i, count - i, &cp);
        if (n == 0) {
            unsigned c = p[i];
            cp = c >= 0x80 && c < 0xA0 ? kCp1252[c - 0x80] : c;
            n = 1;
        }
        s.byteStart.push_back((int)i);
        s.codePoints.push_back(cp);
        AppendUtf8(s.utf8, cp);
        i += (size_t)n;
    }
    s.byteStart.push_back((int)count);
    return s;
}

// --- faces ------------------------------------------------------------------------

namespace {

std::mutex& FaceLock()
{
    static std::mutex* m = new std::mutex;
    return *m;
}

bool FamilyInstalled(const std::string& family)
{
    static std::map<std::string, bool>* known = new std::map<std::string, bool>;
    auto it = known->find(family);
    if (it != known->end()) return it->second;
    bool found = false;
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, (const FcChar8*)family.c_str());
    FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, (char*)nullptr);
    FcFontSet* fs = FcFontList(nullptr, pat, os);
    found = fs && fs->nfont > 0;
    if (fs) FcFontSetDestroy(fs);
    FcObjectSetDestroy(os);
    FcPatternDestroy(pat);
    (*known)[family] = found;
    return found;
}

std::string SansFamily() { return FamilyInstalled("Liberation Sans") ? "Liberation Sans" : "DejaVu Sans"; }
std::string MonoFamily() { return FamilyInstalled("Liberation Mono") ? "Liberation Mono" : "DejaVu Sans Mono"; }
std::string SerifFamily() { return FamilyInstalled("Liberation Serif") ? "Liberation Serif" : "DejaVu Serif"; }

const char* const kMappedFaces[] = {"Arial", "MS Sans Serif", "Tahoma", "Courier New", "Courier", "Times New Roman",
                                    "System", "MS Shell Dlg", "MS Shell Dlg 2"};

std::string ResolveLocked(const char* face, BYTE pitchAndFamily)
{
    std::string f = face ? face : "";
    if (f.empty()) {
        int family = pitchAndFamily & 0xF0;
        if (family == FF_ROMAN) return SerifFamily();
        if (family == FF_MODERN || (pitchAndFamily & 3) == FIXED_PITCH) return MonoFamily();
        if (family == FF_SWISS) return SansFamily();
        return "DejaVu Sans";
    }
    const char* name = f.c_str();
    if (!strcasecmp(name, "Arial") || !strcasecmp(name, "MS Sans Serif") || !strcasecmp(name, "Tahoma"))
        return SansFamily();
    if (!strcasecmp(name, "Courier New") || !strcasecmp(name, "Courier")) return MonoFamily();
    if (!strcasecmp(name, "Times New Roman")) return SerifFamily();
    if (!strcasecmp(name, "System") || !strcasecmp(name, "MS Shell Dlg") || !strcasecmp(name, "MS Shell Dlg 2"))
        return "DejaVu Sans";
    if (FamilyInstalled(f)) return f;
    // fontconfig's best match for anything else.
    std::string result = "DejaVu Sans";
    FcPattern* pat = FcNameParse((const FcChar8*)"");
    FcPatternAddString(pat, FC_FAMILY, (const FcChar8*)name);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res;
    FcPattern* match = FcFontMatch(nullptr, pat, &res);
    if (match) {
        FcChar8* fam = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && fam) result = (const char*)fam;
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pat);
    return result;
}

}   // namespace

std::string ResolveFontFamily(const char* face, BYTE pitchAndFamily)
{
    static std::map<std::string, std::string>* cache = new std::map<std::string, std::string>;
    std::string key = std::string(face ? face : "") + '\x01' + (char)pitchAndFamily;
    std::lock_guard<std::mutex> g(FaceLock());
    auto it = cache->find(key);
    if (it != cache->end()) return it->second;
    std::string r = ResolveLocked(face, pitchAndFamily);
    (*cache)[key] = r;
    return r;
}

std::vector<std::string> FontFamilies()
{
    std::vector<std::string> out(std::begin(kMappedFaces), std::end(kMappedFaces));
    std::lock_guard<std::mutex> g(FaceLock());
    FcPattern* pat = FcPatternCreate();
    FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, (char*)nullptr);
    FcFontSet* fs = FcFontList(nullptr, pat, os);
    for (int i = 0; fs && i < fs->nfont; i++) {
        FcChar8* fam = nullptr;
        if (FcPatternGetString(fs->fonts[i], FC_FAMILY, 0, &fam) == FcResultMatch && fam) out.push_back((const char*)fam);
    }
    if (fs) FcFontSetDestroy(fs);
    FcObjectSetDestroy(os);
    FcPatternDestroy(pat);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// --- per-thread font maps -----------------------------------------------------------

namespace {

struct CThreadFonts {
    PangoFontMap* map = nullptr;
    PangoContext* ctx = nullptr;
    std::map<std::string, std::unique_ptr<CFontEntry>> cache;

    CThreadFonts()
    {
        map = pango_cairo_font_map_new();
        ctx = pango_font_map_create_context(map);
        cairo_font_options_t* o = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON);
        cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(ctx, o);
        cairo_font_options_destroy(o);
        pango_context_set_round_glyph_positions(ctx, TRUE);
    }
    ~CThreadFonts()
    {
        cache.clear();
        if (ctx) g_object_unref(ctx);
        if (map) g_object_unref(map);
    }
};

thread_local std::unique_ptr<CThreadFonts> t_fonts;

CThreadFonts& ThreadFonts()
{
    if (!t_fonts) t_fonts = std::make_unique<CThreadFonts>();
    return *t_fonts;
}

void RawMetrics(PangoContext* ctx, PangoFontDescription* desc, double* ascent, double* descent, double* ave)
{
    PangoFontMetrics* m = pango_context_get_metrics(ctx, desc, nullptr);
    *ascent = pango_font_metrics_get_ascent(m) / (double)PANGO_SCALE;
    *descent = pango_font_metrics_get_descent(m) / (double)PANGO_SCALE;
    if (ave) *ave = pango_font_metrics_get_approximate_char_width(m) / (double)PANGO_SCALE;
    pango_font_metrics_unref(m);
}

}   // namespace

CFontEntry::~CFontEntry()
{
    if (desc) pango_font_description_free(desc);
    if (attrs) pango_attr_list_unref(attrs);
}

void ReleaseThreadFonts() { t_fonts.reset(); }

PangoContext* ThreadPangoContext() { return ThreadFonts().ctx; }

CFontEntry* FontFor(const LOGFONT& lf, int deviceHeight)
{
    CThreadFonts& tf = ThreadFonts();
    std::string key((const char*)&lf, sizeof lf);
    key.append((const char*)&deviceHeight, sizeof deviceHeight);
    auto it = tf.cache.find(key);
    if (it != tf.cache.end()) return it->second.get();
    auto e = std::make_unique<CFontEntry>();
    e->family = ResolveFontFamily(lf.lfFaceName, lf.lfPitchAndFamily);
    e->desc = pango_font_description_new();
    pango_font_description_set_family(e->desc, e->family.c_str());
    int weight = lf.lfWeight == 0 ? FW_NORMAL : std::clamp((int)lf.lfWeight, 100, 1000);
    pango_font_description_set_weight(e->desc, (PangoWeight)weight);
    pango_font_description_set_style(e->desc, lf.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    // Height < 0: the em; > 0: ascent + descent; sizes clamp at 4096 pixels.
    int h = std::clamp(deviceHeight, -4096, 4096);
    if (h == 0) h = -12;
    double em = -h;
    if (h > 0) {
        pango_font_description_set_absolute_size(e->desc, 1000.0 * PANGO_SCALE);
        double a, d;
        RawMetrics(tf.ctx, e->desc, &a, &d, nullptr);
        em = a + d > 0 ? h * 1000.0 / (a + d) : h;
    }
    pango_font_description_set_absolute_size(e->desc, std::max(em, 1.0) * PANGO_SCALE);
    double a, d, ave;
    RawMetrics(tf.ctx, e->desc, &a, &d, &ave);
    CFontMetrics& m = e->metrics;
    if (h > 0) {
        m.height = h;
        m.ascent = std::min(h, (int)std::lround(h * a / std::max(a + d, 1e-9)));
        m.descent = h - m.ascent;
    } else {
        m.ascent = (int)std::lround(a);
        m.descent = (int)std::lround(d);
        m.height = m.ascent + m.descent;
    }
    m.internalLeading = std::max(0, m.height - (int)std::lround(em));
    m.aveWidth = std::max(1, (int)std::lround(ave));
    e->pangoBaseline = a;
    e->em = em;
    e->attrs = pango_attr_list_new();
    pango_attr_list_insert(e->attrs, pango_attr_font_features_new("kern 0, liga 0, clig 0, dlig 0, calt 0"));
    if (lf.lfUnderline) pango_attr_list_insert(e->attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (lf.lfStrikeOut) pango_attr_list_insert(e->attrs, pango_attr_strikethrough_new(TRUE));
    CFontEntry* raw = e.get();
    tf.cache[key] = std::move(e);
    // The widest of a few wide letters stands for the maximum width.
    CShownText wide = ShowBytes("WM@", 3);
    std::vector<int> adv = FontAdvances(raw, wide);
    raw->metrics.maxWidth = std::max({adv[0], adv[1], adv[2], raw->metrics.aveWidth});
    return raw;
}

PangoLayout* MakeLayout(CFontEntry* font, const std::string& utf8)
{
    PangoLayout* layout = pango_layout_new(ThreadFonts().ctx);
    pango_layout_set_font_description(layout, font->desc);
    pango_layout_set_attributes(layout, font->attrs);
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    pango_layout_set_text(layout, utf8.data(), (int)utf8.size());
    return layout;
}

std::vector<int> FontAdvances(CFontEntry* font, const CShownText& shown)
{
    size_t n = shown.codePoints.size();
    std::vector<int> adv(n, 0);
    if (n == 0) return adv;
    // Byte offset in the UTF-8 text -> shown character.
    std::vector<int> charAt(shown.utf8.size() + 1, 0);
    {
        size_t at = 0;
        for (size_t i = 0; i < n; i++) {
            std::string one;
            AppendUtf8(one, shown.codePoints[i]);
            for (size_t k = 0; k < one.size(); k++) charAt[at + k] = (int)i;
            at += one.size();
        }
        charAt[at] = (int)n;
    }
    std::vector<long long> units(n, 0);
    PangoLayout* layout = MakeLayout(font, shown.utf8);
    PangoLayoutIter* it = pango_layout_get_iter(layout);
    do {
        PangoLayoutRun* run = pango_layout_iter_get_run_readonly(it);
        if (!run) continue;
        PangoGlyphString* gs = run->glyphs;
        for (int g = 0; g < gs->num_glyphs; g++) {
            int byte = run->item->offset + gs->log_clusters[g];
            int ci = byte >= 0 && (size_t)byte < charAt.size() ? charAt[byte] : 0;
            if (ci < (int)n) units[ci] += gs->glyphs[g].geometry.width;
        }
    } while (pango_layout_iter_next_run(it));
    pango_layout_iter_free(it);
    g_object_unref(layout);
    for (size_t i = 0; i < n; i++) adv[i] = (int)std::lround(units[i] / (double)PANGO_SCALE);
    return adv;
}
