// The setplot property parser: one keyword and its value text applied to an
// object, a plane and, in figure mode, the figure's defaults.
#include <cctype>
#include <climits>
#include <cstdio>

#include "devices/plot_keywords.h"
#include "plot_device/plot_figure.h"

namespace {

std::string Lower(std::string s)
{
    for (char& c : s) c = (char)std::tolower((unsigned char)c);
    return s;
}

bool StartsWithDigit(const std::string& s) { return !s.empty() && std::isdigit((unsigned char)s[0]); }
bool StartsWithSignOrDigit(const std::string& s) { return !s.empty() && (s[0] == '-' || StartsWithDigit(s)); }

// The colour of a value, or the fallback default.
COLORREF ColourValue(std::string v, bool allowNone, COLORREF fallback)
{
    v = Lower(v);
    size_t n;
    const PlotWord* words = PlotColourWords(n);
    for (size_t i = 0; i < n; i++)
        if (v == words[i].word) return (COLORREF)words[i].value;
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
    const PlotPropertyInfo* info = FindPlotProperty(key);
    if (!info) return;
    // Object keywords reach an object or the defaults; plane keywords a plane or the defaults.
    if (info->ofObject ? !object && !figureMode : !plane && !figureMode) return;
    PlotObjectDefaults& od = fig.m_objectDefaults;
    PlotGraphDefaults& gd = fig.m_graphDefaults;
    // A word value, or the default when the value is none of the words.
    auto word = [&](int fallback) {
        const int32_t v = PlotWordValue(*info, value);
        return v == INT_MIN ? fallback : v;
    };
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
        const int v = word(isX ? gd.xType : gd.yType);
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
    switch (info->id) {
    case PLOT_LINESTYLE: {
        const int v = word(od.penStyle);
        if (object) object->penStyle = v;
        if (figureMode) od.penStyle = v;
        break;
    }
    case PLOT_LINEWIDTH: {
        const int32_t v = ReadPlotInteger(value);
        if (v < 0 || v > 24) return;
        if (object) object->penWidth = v;
        if (figureMode) od.penWidth = v;
        break;
    }
    case PLOT_GRAPHCOLOR: {
        const COLORREF c = ColourValue(value, false, od.color);
        if (object) object->color = c;
        if (figureMode) od.color = c;
        break;
    }
    case PLOT_POINTSTYLE: {
        const int v = word(od.marker);
        if (object) object->marker = (uint8_t)v;
        if (figureMode) od.marker = (uint8_t)v;
        break;
    }
    case PLOT_FILLCOLOR: {
        const COLORREF c = ColourValue(value, false, od.fillColor);
        if (object) object->fillColor = c;
        if (figureMode) od.fillColor = c;
        break;
    }
    case PLOT_FILLSTYLE: {
        const int v = word(od.fillStyle);
        if (object) object->fillStyle = (int16_t)v;
        if (figureMode) od.fillStyle = (int16_t)v;
        break;
    }
    case PLOT_GRAPHTYPE: {
        const int v = word(od.kind);
        if (object) {
            object->kind = (uint8_t)v;
            if (v == 0 && object->marker == 0) object->marker = 1;
        }
        if (figureMode) {
            od.kind = (uint8_t)v;
            if (v == 0 && od.marker == 0) od.marker = 1;
        }
        break;
    }
    case PLOT_LEGEND:
        if (object) {
            object->legend = value;
            object->inLegend = 1;
        }
        if (figureMode) od.legend = value;
        break;
    case PLOT_LEGENDINBOX:
        if (object) object->boxLegend = value;
        if (figureMode) od.boxLegend = value;
        break;
    case PLOT_LEGENDFONTNAME: text(&CGraph::legendFont, &PlotGraphDefaults::legendFont); break;
    case PLOT_LEGENDFONTSIZE: fontSize(&CGraph::legendFontSize, &PlotGraphDefaults::legendFontSize); break;
    case PLOT_BACKGROUND: colour(&CGraph::background, &PlotGraphDefaults::background); break;
    case PLOT_AXISCOLOR: colour(&CGraph::foreColor, &PlotGraphDefaults::axisColor); break;
    case PLOT_GRIDCOLOR: colour(&CGraph::gridColor, &PlotGraphDefaults::gridColor); break;
    case PLOT_AXIS: {
        const int v = word(gd.equalAxes);
        if (plane) plane->equalAxes = (uint8_t)v;
        if (figureMode) gd.equalAxes = (uint8_t)v;
        break;
    }
    case PLOT_XLABEL: text(&CGraph::xLabel, &PlotGraphDefaults::xLabel); break;
    case PLOT_YLABEL: text(&CGraph::yLabel, &PlotGraphDefaults::yLabel); break;
    case PLOT_XTYPE: axisType(true); break;
    case PLOT_YTYPE: axisType(false); break;
    case PLOT_XGRID: grid(true); break;
    case PLOT_YGRID: grid(false); break;
    case PLOT_XLOG:
    case PLOT_YLOG: {
        const int32_t v = ReadPlotInteger(value);
        if (plane) (info->id == PLOT_XLOG ? plane->xLog : plane->yLog) = v;
        if (figureMode) (info->id == PLOT_XLOG ? gd.xLog : gd.yLog) = v;
        break;
    }
    case PLOT_PRECISION: {
        if (!StartsWithDigit(value)) return;
        const int32_t v = ReadPlotInteger(value);
        if (v < 0 || v > 20) return;
        char buf[16];
        std::snprintf(buf, sizeof buf, "%%.%dg", v);
        if (plane) plane->numberFormat = buf;
        if (figureMode) gd.numberFormat = buf;
        break;
    }
    case PLOT_AXISLABELFONTNAME: text(&CGraph::axisFont, &PlotGraphDefaults::axisFont); break;
    case PLOT_AXISFONTSIZE: fontSize(&CGraph::axisFontSize, &PlotGraphDefaults::axisFontSize); break;
    case PLOT_AXISSTYLE: {
        const int v = word(gd.axisStyle);
        if (plane) plane->axisStyle = (uint8_t)v;
        if (figureMode) gd.axisStyle = (uint8_t)v;
        break;
    }
    case PLOT_TITLE:
        if (plane) {
            plane->title = value;
            plane->titlePosition = 1;
        }
        if (figureMode) {
            gd.title = value;
            gd.titleShown = 1;
        }
        break;
    case PLOT_TITLEFONTNAME: text(&CGraph::titleFont, &PlotGraphDefaults::titleFont); break;
    case PLOT_TITLEFONTSIZE: fontSize(&CGraph::titleFontSize, &PlotGraphDefaults::titleFontSize); break;
    case PLOT_POLAROFF: {
        if (!StartsWithSignOrDigit(value)) return;
        const int32_t v = ReadPlotInteger(value);
        if (plane) plane->SetPolarOffset(v);
        if (figureMode) gd.polarOffset = v;
        break;
    }
    }
}
