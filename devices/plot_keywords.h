#pragma once
// The words of the plot device: the plot properties (setplot, the options of
// plot2d and plot) with the values they take, and the kinds of the plot
// statement. The device's property parser and command chooser work from
// these tables, and the help page lists them.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

// A word of a property's value and what it stands for.
struct PlotWord {
    const char* word;
    int32_t value;
    const char* meaning;
};

enum class PlotValueKind : uint8_t {
    Words,         // one of the property's words
    Colour,        // a colour word or a decimal COLORREF
    ColourOrNone,  // the same, or "none"
    Integer,
    Text,
};

enum PlotPropertyId : uint8_t {
    // Object properties.
    PLOT_LINESTYLE,
    PLOT_LINEWIDTH,
    PLOT_GRAPHCOLOR,
    PLOT_POINTSTYLE,
    PLOT_FILLCOLOR,
    PLOT_FILLSTYLE,
    PLOT_GRAPHTYPE,
    PLOT_LEGEND,
    PLOT_LEGENDINBOX,
    // Plane properties.
    PLOT_LEGENDFONTNAME,
    PLOT_LEGENDFONTSIZE,
    PLOT_BACKGROUND,
    PLOT_AXISCOLOR,
    PLOT_GRIDCOLOR,
    PLOT_AXIS,
    PLOT_XLABEL,
    PLOT_YLABEL,
    PLOT_XTYPE,
    PLOT_YTYPE,
    PLOT_XGRID,
    PLOT_YGRID,
    PLOT_XLOG,
    PLOT_YLOG,
    PLOT_PRECISION,
    PLOT_AXISLABELFONTNAME,
    PLOT_AXISFONTSIZE,
    PLOT_AXISSTYLE,
    PLOT_TITLE,
    PLOT_TITLEFONTNAME,
    PLOT_TITLEFONTSIZE,
    PLOT_POLAROFF,
};

struct PlotPropertyInfo {
    const char* keyword;  // lower case
    PlotPropertyId id;
    bool ofObject;        // a property of a graphic object, else of a plane
    PlotValueKind kind;
    const PlotWord* words;  // Words: the words in the order they are compared
    size_t wordCount;
    bool lowerCase;         // Words: the value is lower-cased before it is compared
    const char* value;      // the value as the help page states it
    const char* effect;
};

// Every property, object properties first, in the order they are looked up.
const PlotPropertyInfo* PlotProperties(size_t& count);
// The property of a keyword, null for none.
const PlotPropertyInfo* FindPlotProperty(const std::string& keyword);
// The value of a word of a Words property, INT_MIN when the value is none of them.
int32_t PlotWordValue(const PlotPropertyInfo& property, const std::string& value);

// The colour words, compared in lower case, with their COLORREF (0x00BBGGRR).
const PlotWord* PlotColourWords(size_t& count);

enum PlotKindId : uint8_t {
    PLOT_KIND_CART,
    PLOT_KIND_POLAR,
    PLOT_KIND_COMPASS,
    PLOT_KIND_STAIRS,
    PLOT_KIND_BAR,
    PLOT_KIND_LINE,
    PLOT_KIND_ELLIPSE,
    PLOT_KIND_CIRCLE,
};

// A command word of the plot statement and the operands of one series.
struct PlotKindInfo {
    const char* word;
    PlotKindId id;
    const char* operands;
};

const PlotKindInfo* PlotKinds(size_t& count);
// The kind of a command word (no word is "cart"), null for an unknown word.
const PlotKindInfo* FindPlotKind(const std::string& word);
