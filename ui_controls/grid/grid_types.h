#pragma once
// Small records shared by the grid control, its cells and its owners.
#include "platform/afx/message_map.h"
#include "platform/controls/list_notify.h"
#include "platform/gdi/gdi.h"
#include <string>

#ifndef WM_SETFONT
#define WM_SETFONT 0x0030u
#endif
#ifndef WM_GETFONT
#define WM_GETFONT 0x0031u
#endif
#ifndef CLR_DEFAULT
#define CLR_DEFAULT 0xFF000000u
#endif

#ifndef NM_CLICK
#define NM_CLICK (-2)
#define NM_DBLCLK (-3)
#define NM_RCLICK (-5)
#endif

// The grid's names for the label-edit codes.
#define GVN_BEGINLABELEDIT LVN_BEGINLABELEDIT
#define GVN_ENDLABELEDIT LVN_ENDLABELEDIT


struct CDataGridCellPos {
    int row = -1;
    int col = -1;
    CDataGridCellPos() = default;
    CDataGridCellPos(int r, int c) : row(r), col(c) {}
    bool operator==(const CDataGridCellPos& o) const { return row == o.row && col == o.col; }
    bool operator!=(const CDataGridCellPos& o) const { return !(*this == o); }
};

struct CDataGridCellRange {
    int minRow = -1, minCol = -1, maxRow = -1, maxCol = -1;
    CDataGridCellRange() = default;
    CDataGridCellRange(int r0, int c0, int r1, int c1) : minRow(r0), minCol(c0), maxRow(r1), maxCol(c1) {}
    bool operator==(const CDataGridCellRange& o) const
    {
        return minRow == o.minRow && minCol == o.minCol && maxRow == o.maxRow && maxCol == o.maxCol;
    }
};

enum CellState : DWORD {
    Focused = 0x01,
    Selected = 0x02,
    DropHover = 0x04,
    ReadOnly = 0x08,
    Fixed = 0x10,
    FixedRow = 0x20,
    FixedColumn = 0x40,
    Modified = 0x80,
};

struct GridNotify {
    NMHDR hdr;
    int row;
    int column;
};

struct GridItem {
    int row;
    int column;
    UINT mask;
    UINT state;
    UINT format;
    int image;
    COLORREF backColor;
    COLORREF foreColor;
    LPARAM param;
    LOGFONT font;
    UINT margin;
    std::string text;
};

// Marks a character given to a cell's edit as a navigation key that
// continues editing (or F2's button code), not a typed code point.
constexpr UINT kGridEditKeyFlag = 0x40000000u;

struct GridDispInfo {
    NMHDR hdr;
    GridItem item;
};

struct GridCacheHint {
    NMHDR hdr;
    CDataGridCellRange range;
};

typedef BOOL (*GridCellDataCallback)(GridDispInfo* info, LPARAM context);
typedef int (*GridCompareFunc)(LPARAM cell1, LPARAM cell2, LPARAM value);
