// The plot properties, their value words and the plot statement's kinds.
#include "devices/plot_keywords.h"

#include <cctype>
#include <iterator>

namespace {

constexpr PlotWord kLineStyles[] = {
    {"-", 0, "solid"}, {"--", 1, "dash"}, {".", 2, "dot"}, {"-.", 3, "dash-dot"}, {"-:", 4, "dash-dot-dot"},
};
constexpr PlotWord kPointStyles[] = {
    {" ", 0, "none"},     {".", 1, "dot"},  {"o", 2, "circle"}, {"^", 4, "triangle"},
    {"s", 3, "square"},   {"+", 5, "plus"}, {"x", 6, "cross"},
};
constexpr PlotWord kFillStyles[] = {
    {"\\", 2, "falling diagonal hatch"}, {"/", 3, "rising diagonal hatch"}, {"+", 4, "cross hatch"},
    {"x", 5, "diagonal cross hatch"},    {"-", 0, "horizontal hatch"},      {"|", 1, "vertical hatch"},
    {"none", -2, "no fill"},             {"solid", -1, "solid fill"},
};
constexpr PlotWord kGraphTypes[] = {
    {".", 0, "points only (a dot where the point style is none)"},
    {"-", 1, "lines"},
    {"->", 3, "lines with arrow heads"},
    {"#", 2, "filled polygon"},
};
constexpr PlotWord kAxisWords[] = {{"equal", 1, "equal axes"}, {"auto", 0, "each axis its own scale"}};
constexpr PlotWord kAxisTypes[] = {
    {"real", 0, "numbers"},
    {"time", 1, "seconds as hh:mm:ss.mmm"},
    {"daytime", 2, "seconds since 1970 as local time and date"},
    {"mintime", 3, "seconds as mm:ss.mmm"},
    {"logic", 5, "no numbers"},
};
constexpr PlotWord kAxisStyles[] = {
    {"classic", 1, "axis lines through zero"}, {"boxed", 2, "a frame with the ticks inside"}, {"none", 0, "no axes"}};
constexpr PlotWord kColours[] = {
    {"blue", 0xFF0000, ""},  {"white", 0xFFFFFF, ""},   {"red", 0x0000FF, ""},  {"yellow", 0x00FFFF, ""},
    {"green", 0x00FF00, ""}, {"magenta", 0xFF00FF, ""}, {"cyan", 0xFFFF00, ""}, {"black", 0, ""},
};

#define WORDS(list) list, std::size(list)
#define NO_WORDS nullptr, 0

const char kColour[] = "colour";
const char kColourOrNone[] = "colour, or \"none\"";
const char kText[] = "text";
const char kSize[] = "integer; only a value that begins with \"-\" or a digit";

constexpr PlotPropertyInfo kProperties[] = {
    {"linestyle", PLOT_LINESTYLE, true, PlotValueKind::Words, WORDS(kLineStyles), false, "", "line style"},
    {"linewidth", PLOT_LINEWIDTH, true, PlotValueKind::Integer, NO_WORDS, false,
     "integer 0..24 (others change nothing)", "line width"},
    {"graphcolor", PLOT_GRAPHCOLOR, true, PlotValueKind::Colour, NO_WORDS, false, kColour, "line and marker colour"},
    {"pointstyle", PLOT_POINTSTYLE, true, PlotValueKind::Words, WORDS(kPointStyles), false, "", "point marker"},
    {"fillcolor", PLOT_FILLCOLOR, true, PlotValueKind::Colour, NO_WORDS, false, kColour, "fill colour"},
    {"fillstyle", PLOT_FILLSTYLE, true, PlotValueKind::Words, WORDS(kFillStyles), true, "", "fill style"},
    {"graphtype", PLOT_GRAPHTYPE, true, PlotValueKind::Words, WORDS(kGraphTypes), false, "",
     "how the object is drawn"},
    {"legend", PLOT_LEGEND, true, PlotValueKind::Text, NO_WORDS, false, kText,
     "legend text; the object is shown in the legend"},
    {"legendinbox", PLOT_LEGENDINBOX, true, PlotValueKind::Text, NO_WORDS, false, kText, "the object's legend-box text"},
    {"legendfontname", PLOT_LEGENDFONTNAME, false, PlotValueKind::Text, NO_WORDS, false, kText, "legend font name"},
    {"legendfontsize", PLOT_LEGENDFONTSIZE, false, PlotValueKind::Integer, NO_WORDS, false, kSize, "legend font size"},
    {"background", PLOT_BACKGROUND, false, PlotValueKind::ColourOrNone, NO_WORDS, false, kColourOrNone,
     "background colour of the plot area"},
    {"axiscolor", PLOT_AXISCOLOR, false, PlotValueKind::ColourOrNone, NO_WORDS, false, kColourOrNone, "axis colour"},
    {"gridcolor", PLOT_GRIDCOLOR, false, PlotValueKind::ColourOrNone, NO_WORDS, false, kColourOrNone, "grid colour"},
    {"axis", PLOT_AXIS, false, PlotValueKind::Words, WORDS(kAxisWords), true, "", "equal-axes flag"},
    {"xlabel", PLOT_XLABEL, false, PlotValueKind::Text, NO_WORDS, false, kText, "x axis label"},
    {"ylabel", PLOT_YLABEL, false, PlotValueKind::Text, NO_WORDS, false, kText, "y axis label"},
    {"xtype", PLOT_XTYPE, false, PlotValueKind::Words, WORDS(kAxisTypes), true, "", "x axis type"},
    {"ytype", PLOT_YTYPE, false, PlotValueKind::Words, WORDS(kAxisTypes), true, "", "y axis type"},
    {"xgrid", PLOT_XGRID, false, PlotValueKind::Integer, NO_WORDS, false, "integer: non-zero on, zero off",
     "grid lines of the x axis"},
    {"ygrid", PLOT_YGRID, false, PlotValueKind::Integer, NO_WORDS, false, "integer: non-zero on, zero off",
     "grid lines of the y axis"},
    {"xlog", PLOT_XLOG, false, PlotValueKind::Integer, NO_WORDS, false, "integer: non-zero on, zero off",
     "logarithmic x axis"},
    {"ylog", PLOT_YLOG, false, PlotValueKind::Integer, NO_WORDS, false, "integer: non-zero on, zero off",
     "logarithmic y axis"},
    {"precision", PLOT_PRECISION, false, PlotValueKind::Integer, NO_WORDS, false,
     "integer 0..20; only a value that begins with a digit", "significant digits of the axis numbers"},
    {"axislabelfontname", PLOT_AXISLABELFONTNAME, false, PlotValueKind::Text, NO_WORDS, false, kText,
     "axis font name"},
    {"axisfontsize", PLOT_AXISFONTSIZE, false, PlotValueKind::Integer, NO_WORDS, false, kSize, "axis font size"},
    {"axisstyle", PLOT_AXISSTYLE, false, PlotValueKind::Words, WORDS(kAxisStyles), true, "", "axis style"},
    {"title", PLOT_TITLE, false, PlotValueKind::Text, NO_WORDS, false, kText, "title text; the title is shown"},
    {"titlefontname", PLOT_TITLEFONTNAME, false, PlotValueKind::Text, NO_WORDS, false, kText, "title font name"},
    {"titlefontsize", PLOT_TITLEFONTSIZE, false, PlotValueKind::Integer, NO_WORDS, false, kSize, "title font size"},
    {"polaroff", PLOT_POLAROFF, false, PlotValueKind::Integer, NO_WORDS, false,
     "integer degrees; only a value that begins with \"-\" or a digit", "angle offset of a polar plane"},
};

constexpr PlotKindInfo kKinds[] = {
    {"cart", PLOT_KIND_CART,
     "(Y): a vector, its cells against 1, 2, ..., or (re, im) of complex cells; (X, Y): two vectors or two numbers"},
    {"polar", PLOT_KIND_POLAR, "(R, PHI): radii and angles in radians, two vectors or two numbers"},
    {"compass", PLOT_KIND_COMPASS,
     "(Z): an arrow from the origin to each complex number; (U, V): two vectors or two numbers"},
    {"stairs", PLOT_KIND_STAIRS, "(Y) or (X, Y): vectors; a last operand \"#\" draws the filled form"},
    {"bar", PLOT_KIND_BAR,
     "(Y) or (X, Y): vectors; a last operand may be a structure with width (a number) and orient (\"h\": "
     "horizontal bars)"},
    {"line", PLOT_KIND_LINE, "(X1, Y1, X2, Y2): the line between two points"},
    {"ellipse", PLOT_KIND_ELLIPSE,
     "(X, Y, RX, RY) or (X, Y, RX, RY, ANGLE): centre, radii and angle; a last operand may be a structure with "
     "points (the number of points, 1 < points < 1000000)"},
    {"circle", PLOT_KIND_CIRCLE,
     "(X, Y, R) or (X, Y, R, ANGLE): centre, radius and angle; a last operand may be a structure with points"},
};

}  // namespace

const PlotPropertyInfo* PlotProperties(size_t& count)
{
    count = std::size(kProperties);
    return kProperties;
}

const PlotPropertyInfo* FindPlotProperty(const std::string& keyword)
{
    for (const PlotPropertyInfo& p : kProperties)
        if (keyword == p.keyword) return &p;
    return nullptr;
}

int32_t PlotWordValue(const PlotPropertyInfo& property, const std::string& value)
{
    std::string v = value;
    if (property.lowerCase)
        for (char& c : v) c = (char)std::tolower((unsigned char)c);
    for (size_t i = 0; i < property.wordCount; i++)
        if (v == property.words[i].word) return property.words[i].value;
    return INT_MIN;
}

const PlotWord* PlotColourWords(size_t& count)
{
    count = std::size(kColours);
    return kColours;
}

const PlotKindInfo* PlotKinds(size_t& count)
{
    count = std::size(kKinds);
    return kKinds;
}

const PlotKindInfo* FindPlotKind(const std::string& word)
{
    if (word.empty()) return &kKinds[0];
    for (const PlotKindInfo& k : kKinds)
        if (word == k.word) return &k;
    return nullptr;
}
