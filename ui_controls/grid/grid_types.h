#pragma once
// Small records shared by the grid control, its cells and its owners.
#include "platform/afx/message_map.h"
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

// List-view notification codes, reused by the grid.
#define LVN_ITEMCHANGING (-100)
#define LVN_ITEMCHANGED (-101)
#define LVN_BEGINLABELEDIT (-105)
#define LVN_ENDLABELEDIT (-106)
#define LVN_BEGINDRAG (-109)
#define LVN_ODCACHEHINT (-113)
#define LVN_GETDISPINFO (-150)

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
