#pragma once
// The record that drives the display text of values, and the formats the
// system uses as data.
#include <cstdint>

struct ValueTextFormat {
    uint32_t flags;          // VTF_* bits
    int32_t maxLength;       // the writer stops when the stream position reaches it
    int32_t cellsPerLine;    // 0: no wrapping
    uint8_t precision;       // stream precision for numbers
    uint8_t roundDigits;     // VTF_NO_ROUNDING, or decimal places to round to
    uint8_t reserved[2];     // not read by the writers
    int32_t width;           // field width for numbers and matrix cells
};

static_assert(sizeof(ValueTextFormat) == 20, "five 32-bit words");

enum : uint32_t {
    VTF_NO_BRACKETS = 0x1,    // no [] or {}, blanks between cells, no ", " between fields
    VTF_LINE_BREAKS = 0x2,    // break before nested matrices/structs, after fields and rows
    VTF_QUOTE = 0x4,          // quote strings, chars, binary strings and bytes
    VTF_LEFT = 0x10,          // numbers left-adjusted in the field width
    VTF_SHOW_POINT = 0x20,    // numbers always show the decimal point
    VTF_NO_ELLIPSIS = 0x80,   // no "..." after a cut text
    VTF_CELL_WIDTH = 0x100,   // the field width is set before every matrix cell
    VTF_REAL_WIDTH = 0xF00,   // all four bits: the field width is set before every Real
};

constexpr uint8_t VTF_NO_ROUNDING = 0xFF;

// One-line value texts of the variables and watch lists; the IDE overwrites the
// precision from its settings.
inline constexpr ValueTextFormat IdeDefaultTextFormat = {VTF_QUOTE, 512, 0, 6, VTF_NO_ROUNDING, {0, 0}, 0};

// The default of the output bar's format (setting "104"); CurrentDisplayTextFormat
// in values/app_settings.h is the one in force.
inline constexpr ValueTextFormat DisplayTextFormat = {VTF_LINE_BREAKS | VTF_CELL_WIDTH, 65536, 10, 6,
                                                      VTF_NO_ROUNDING, {0, 0}, 13};

// ValueFormat without a format: quoted, no practical length limit.
inline constexpr ValueTextFormat UnlimitedTextFormat = {VTF_QUOTE, 2147483647, 0, 6, VTF_NO_ROUNDING, {0, 0}, 0};
