// The setplot property parser: one keyword and its value text applied to an
// object, a plane and, in figure mode, the figure's defaults.
#include <cctype>
#include <climits>
#include <cstdio>

#include "plot_device/plot_figure.h"

namespace {

std::string Lower(std::string s)
{
    for (char& c : s) c = (char)std::tolower((unsigned char)c);
    return s;
}

bool StartsWithDigit(const std::string& s) { return !s.empty() && std::isdigit((unsigned char)s[0]); }
bool StartsWithSignOrDigit(const std::string& s) { return !s.empty() && (s[0] == '-' || StartsWithDigit(s)); }

// The value of a word, or -1 when it matches none.
int WordValue(const std::string& v, std::initializer_list<std::pair<const char*, int>> words)
{
    for (const auto& w : words)
        if (v == w.first) return w.second;
    return INT_MIN;
}

// The colour of a value, or the fallback default.
COLORREF ColourValue(std::string v, bool allowNone, COLORREF fallback)
{
    v = Lower(v);
    static const std::pair<const char*, COLORREF> kWords[] = {
        {"blue", 0xFF0000},  {"white", 0xFFFFFF},   {"red", 0x0000FF},  {"yellow", 0x00FFFF},
        {"green", 0x00FF00}, {"magenta", 0xFF00FF}, {"cyan", 0xFFFF00}, {"black", 0}};
    for (const auto& w : kWords)
        if (v == w.first) return w.second;
    if (allowNone && v == "none") return 0x80000000;
    if (StartsWithDigit(v)) return ReadPlotColourNumber(v);
    return fallback;
}

}  // namespace

int32_t ReadPlotInteger(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace((unsigned char)text[i])) i++;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t v = 0;
    for (; i < text.size() && std::isdigit((unsigned char)text[i]); i++) {
        v = v * 10 + (text[i] - '0');
        if (v > (int64_t)INT_MAX + 1) v = (int64_t)INT_MAX + 1;  // saturates
    }
    if (negative) return v > INT_MAX ? INT_MIN : (int32_t)-v;
    return v > INT_MAX ? INT_MAX : (int32_t)v;
}

uint32_t ReadPlotColourNumber(const std::string& text)
{
    uint64_t v = 0;
    for (size_t i = 0; i < text.size() && std::isdigit((unsigned char)text[i]); i++) {
        v = v * 10 + (uint64_t)(text[i] - '0');
        if (v > 0xFFFFFFFFu) v = 0xFFFFFFFFu;
    }
    return (uint32_t)v;
}

void ParsePlotProperty(CPlotFigure& fig, CPlotPlane* plane, CGraphObject* object, const std::string& key,
                       std::string value, bool figureMode)
{
    PlotObjectDefaults& od = fig.m_objectDefaults;
    PlotGraphDefaults& gd = fig.m_graphDefaults;
    if (object || figureMode) {
        if (key == "linestyle") {
            int v = WordValue(value, {{"-", 0}, {"--", 1}, {".", 2}, {"-.", 3}, {"-:", 4}});
            if (v == INT_MIN) v = od.penStyle;
            if (object) object->penStyle = v;
            if (figureMode) od.penStyle = v;
            return;
        }
        if (key == "linewidth") {
            const int32_t v = ReadPlotInteger(value);
            if (v < 0 || v > 24) return;
            if (object) object->penWidth = v;
            if (figureMode) od.penWidth = v;
            return;
        }
        if (key == "graphcolor") {
            const COLORREF c = ColourValue(value, false, od.color);
            if (object) object->color = c;
            if (figureMode) od.color = c;
            return;
        }
        if (key == "pointstyle") {
            int v = WordValue(value, {{" ", 0}, {".", 1}, {"o", 2}, {"^", 4}, {"s", 3}, {"+", 5}, {"x", 6}});
            if (v == INT_MIN) v = od.marker;
            if (object) object->marker = (uint8_t)v;
            if (figureMode) od.marker = (uint8_t)v;
            return;
        }
        if (key == "fillcolor") {
            const COLORREF c = ColourValue(value, false, od.fillColor);
            if (object) object->fillColor = c;
            if (figureMode) od.fillColor = c;
            return;
        }
        if (key == "fillstyle") {
            int v = WordValue(Lower(value), {{"\\", 2}, {"/", 3}, {"+", 4}, {"x", 5}, {"-", 0}, {"|", 1},
                                             {"none", -2}, {"solid", -1}});
            if (v == INT_MIN) v = od.fillStyle;
            if (object) object->fillStyle = (int16_t)v;
            if (figureMode) od.fillStyle = (int16_t)v;
            return;
        }
        if (key == "graphtype") {
            int v = WordValue(value, {{".", 0}, {"-", 1}, {"->", 3}, {"#", 2}});
            if (v == INT_MIN) v = od.kind;
            if (object) {
                object->kind = (uint8_t)v;
                if (v == 0 && object->marker == 0) object->marker = 1;
            }
            if (figureMode) {
                od.kind = (uint8_t)v;
                if (v == 0 && od.marker == 0) od.marker = 1;
            }
            return;
        }
        if (key == "legend") {
            if (object) {
                object->legend = value;
                object->inLegend = 1;
            }
            if (figureMode) od.legend = value;
            return;
        }
        if (key == "legendinbox") {
            if (object) object->boxLegend = value;
            if (figureMode) od.boxLegend = value;
            return;
        }
    }
    if (!plane && !figureMode) return;
    auto text = [&](std::string CGraph::*field, std::string PlotGraphDefaults::*def) {
        if (plane) plane->*field = value;
        if (figureMode) gd.*def = value;
    };
    auto fontSize = [&](int32_t CGraph::*field, int32_t PlotGraphDefaults::*def) {
        if (!StartsWithSignOrDigit(value)) return;
        const int32_t v = ReadPlotInteger(value);
        if (plane) plane->*field = v;
        if (figureMode) gd.*def = v;
    };
    auto colour = [&](COLORREF CGraph::*field, COLORREF PlotGraphDefaults::*def) {
        const COLORREF c = ColourValue(value, true, gd.*def);
        if (plane) plane->*field = c;
        if (figureMode) gd.*def = c;
    };
    auto axisType = [&](bool isX) {
        int v = WordValue(Lower(value), {{"real", 0}, {"time", 1}, {"daytime", 2}, {"mintime", 3}, {"logic", 5}});
        if (v == INT_MIN) v = isX ? gd.xType : gd.yType;
        if (plane) {
            uint8_t& b = isX ? plane->xAxisFlags : plane->yAxisFlags;
            b = (uint8_t)((v << 4) | (b & 0x0F));
        }
        if (figureMode) (isX ? gd.xType : gd.yType) = (uint8_t)v;
    };
    auto grid = [&](bool isX) {
        const bool on = ReadPlotInteger(value) != 0;
        if (plane) {
            uint8_t& b = isX ? plane->xAxisFlags : plane->yAxisFlags;
            b = on ? (uint8_t)(b | AXIS_GRID) : (uint8_t)(b & ~AXIS_GRID);
        }
        if (figureMode) {
            uint8_t& f = isX ? gd.xFlags : gd.yFlags;
            f = on ? (uint8_t)(f | AXIS_GRID) : (uint8_t)(f & ~AXIS_GRID);
        }
    };
    if (key == "legendfontname") text(&CGraph::legendFont, &PlotGraphDefaults::legendFont);
    else if (key == "legendfontsize") fontSize(&CGraph::legendFontSize, &PlotGraphDefaults::legendFontSize);
    else if (key == "background") colour(&CGraph::background, &PlotGraphDefaults::background);
    else if (key == "axiscolor") colour(&CGraph::foreColor, &PlotGraphDefaults::axisColor);
    else if (key == "gridcolor") colour(&CGraph::gridColor, &PlotGraphDefaults::gridColor);
    else if (key == "axis") {
        int v = WordValue(Lower(value), {{"equal", 1}, {"auto", 0}});
        if (v == INT_MIN) v = gd.equalAxes;
        if (plane) plane->equalAxes = (uint8_t)v;
        if (figureMode) gd.equalAxes = (uint8_t)v;
    } else if (key == "xlabel") text(&CGraph::xLabel, &PlotGraphDefaults::xLabel);
    else if (key == "ylabel") text(&CGraph::yLabel, &PlotGraphDefaults::yLabel);
    else if (key == "xtype") axisType(true);
    else if (key == "ytype") axisType(false);
    else if (key == "xgrid") grid(true);
    else if (key == "ygrid") grid(false);
    else if (key == "xlog" || key == "ylog") {
        const int32_t v = ReadPlotInteger(value);
        if (plane) (key == "xlog" ? plane->xLog : plane->yLog) = v;
        if (figureMode) (key == "xlog" ? gd.xLog : gd.yLog) = v;
    } else if (key == "precision") {
        if (!StartsWithDigit(value)) return;
        const int32_t v = ReadPlotInteger(value);
        if (v < 0 || v > 20) return;
        char buf[16];
        std::snprintf(buf, sizeof buf, "%%.%dg", v);
        if (plane) plane->numberFormat = buf;
        if (figureMode) gd.numberFormat = buf;
    } else if (key == "axislabelfontname") text(&CGraph::axisFont, &PlotGraphDefaults::axisFont);
    else if (key == "axisfontsize") fontSize(&CGraph::axisFontSize, &PlotGraphDefaults::axisFontSize);
    else if (key == "axisstyle") {
        int v = WordValue(Lower(value), {{"classic", 1}, {"boxed", 2}, {"none", 0}});
        if (v == INT_MIN) v = gd.axisStyle;
        if (plane) plane->axisStyle = (uint8_t)v;
        if (figureMode) gd.axisStyle = (uint8_t)v;
    } else if (key == "title") {
        if (plane) {
            plane->title = value;
            plane->titlePosition = 1;
        }
        if (figureMode) {
            gd.title = value;
            gd.titleShown = 1;
        }
    } else if (key == "titlefontname") text(&CGraph::titleFont, &PlotGraphDefaults::titleFont);
    else if (key == "titlefontsize") fontSize(&CGraph::titleFontSize, &PlotGraphDefaults::titleFontSize);
    else if (key == "polaroff") {
        if (!StartsWithSignOrDigit(value)) return;
        const int32_t v = ReadPlotInteger(value);
        if (plane) plane->SetPolarOffset(v);
        if (figureMode) gd.polarOffset = v;
    }
}
