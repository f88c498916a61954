#pragma once
// Device contexts over cairo and pango: windows' backing images, memory
// bitmaps, PDF printer pages, metafiles and the recording context for tests.
// Raster targets combine pixels bitwise (all ROP2 and ROP3 codes are exact);
// vector targets draw other mixes as COPYPEN. Objects are process-wide behind
// one lock; a DC serves one thread at a time. Handles are generation-tagged
// ids: a stale one fails.
#include "platform/types.h"
#include "platform/gdi/sys_colors.h"
#include <string>
#include <vector>

typedef struct HDC__* HDC;
typedef void* HGDIOBJ;   // any of the object handles below
typedef struct HPEN__* HPEN;
typedef struct HFONT__* HFONT;
typedef struct HBITMAP__* HBITMAP;
typedef struct HRGN__* HRGN;
typedef struct HENHMETAFILE__* HENHMETAFILE;
typedef struct HIMAGELIST__* HIMAGELIST;

// Object types (GetObjectType).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10
#define OBJ_ENHMETADC 12
#define OBJ_ENHMETAFILE 13

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

// Pens.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_STYLE_MASK 0x0F

// Brushes.
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3
#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5

// Background modes, mixes, fill modes.
#define TRANSPARENT 1
#define OPAQUE 2
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16
#define ALTERNATE 1
#define WINDING 2

// Raster operations (ROP3: the result bit is bit (4P + 2S + D) of rop >> 16).
#define SRCCOPY 0x00CC0020u
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define SRCINVERT 0x00660046u
#define SRCERASE 0x00440328u
#define NOTSRCCOPY 0x00330008u
#define NOTSRCERASE 0x001100A6u
#define MERGECOPY 0x00C000CAu
#define MERGEPAINT 0x00BB0226u
#define PATCOPY 0x00F00021u
#define PATPAINT 0x00FB0A09u
#define PATINVERT 0x005A0049u
#define DSTINVERT 0x00550009u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4

// Mapping modes.
#define MM_TEXT 1
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8

// Text alignment and ExtTextOut options.
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define ETO_OPAQUE 0x0002u
#define ETO_CLIPPED 0x0004u

// DrawText.
#define DT_TOP 0x00000000u
#define DT_LEFT 0x00000000u
#define DT_CENTER 0x00000001u
#define DT_RIGHT 0x00000002u
#define DT_VCENTER 0x00000004u
#define DT_BOTTOM 0x00000008u
#define DT_WORDBREAK 0x00000010u
#define DT_SINGLELINE 0x00000020u
#define DT_EXPANDTABS 0x00000040u
#define DT_TABSTOP 0x00000080u
#define DT_NOCLIP 0x00000100u
#define DT_EXTERNALLEADING 0x00000200u
#define DT_CALCRECT 0x00000400u
#define DT_NOPREFIX 0x00000800u
#define DT_INTERNAL 0x00001000u
#define DT_EDITCONTROL 0x00002000u
#define DT_PATH_ELLIPSIS 0x00004000u
#define DT_END_ELLIPSIS 0x00008000u
#define DT_MODIFYSTRING 0x00010000u
#define DT_WORD_ELLIPSIS 0x00040000u
#define DT_HIDEPREFIX 0x00100000u

// Regions.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5

// GetDeviceCaps.
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define DT_RASDISPLAY 1
#define DT_RASPRINTER 2
#define DT_METAFILE 5
#define RC_BITBLT 1
#define RC_STRETCHBLT 0x0800

// Fonts.
#define LF_FACESIZE 32
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50
#define TMPF_FIXED_PITCH 0x01

#define CLR_INVALID 0xFFFFFFFFu

constexpr BYTE GetRValue(COLORREF c) { return (BYTE)(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return (BYTE)((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return (BYTE)((c >> 16) & 0xFF); }

// The 60-byte font record; returned by GetObject as it was given.
struct LOGFONT {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONT) == 60, "LOGFONT is 60 bytes");

struct TEXTMETRIC {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};

struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
};

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    uintptr_t lbHatch;
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

struct DRAWTEXTPARAMS {
    UINT cbSize;
    int iTabLength;
    int iLeftMargin;
    int iRightMargin;
    UINT uiLengthDrawn;
};

// --- objects ---------------------------------------------------------------
HGDIOBJ GetStockObject(int index);
// FALSE for stock objects (never freed) and stale handles; an object still
// selected into a DC is freed when it is deselected.
BOOL DeleteObject(HGDIOBJ object);
// Live objects (pens, brushes, fonts, bitmaps, regions, DCs, ...): leak checks.
size_t GdiObjectCount();
int GetObject(HGDIOBJ object, int size, void* buffer);
DWORD GetObjectType(HGDIOBJ object);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
// 1 bits show in the background colour, 0 bits in the text colour (monochrome).
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
HFONT CreateFontIndirect(const LOGFONT* font);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                 DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                 DWORD pitchAndFamily, const char* face);

// A brush of the system colour, read at each use; never freed.
HBRUSH GetSysColorBrush(int index);

// --- device contexts ---------------------------------------------------------
// Window DCs (GetDC, BeginPaint) are the window manager's: user/window_dc.h.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
int SaveDC(HDC hdc);
// Negative levels count back from the latest save.
BOOL RestoreDC(HDC hdc, int level);
int GetDeviceCaps(HDC hdc, int index);

// A recording DC logs one line per primitive in device coordinates and
// measures text with a fixed metric: h = |height| (0 means 12), ascent
// round(0.8 h), descent h - ascent, each shown character round(h / 2) wide.
// `printer`: an A4 600-dpi page instead of a 1920 x 1080 96-dpi screen.
HDC CreateRecordingDC(BOOL printer);
std::string GetRecordingLog(HDC hdc);
void ClearRecordingLog(HDC hdc);

COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
int SetROP2(HDC hdc, int mode);
int GetROP2(HDC hdc);
int SetPolyFillMode(HDC hdc, int mode);
int GetPolyFillMode(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
UINT SetTextAlign(HDC hdc, UINT align);
UINT GetTextAlign(HDC hdc);
COLORREF SetDCPenColor(HDC hdc, COLORREF color);
COLORREF SetDCBrushColor(HDC hdc, COLORREF color);
// Device units.
BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL GetBrushOrgEx(HDC hdc, POINT* org);

// Mapping: the DC keeps device pixels; coordinates are mapped in 64 bits and
// rounded to nearest.
int SetMapMode(HDC hdc, int mode);
int GetMapMode(HDC hdc);
BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE* old);
BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE* old);
BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL OffsetWindowOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL GetWindowOrgEx(HDC hdc, POINT* p);
BOOL GetWindowExtEx(HDC hdc, SIZE* s);
BOOL GetViewportOrgEx(HDC hdc, POINT* p);
BOOL GetViewportExtEx(HDC hdc, SIZE* s);
BOOL LPtoDP(HDC hdc, POINT* points, int count);
BOOL DPtoLP(HDC hdc, POINT* points, int count);

// --- regions and clipping ------------------------------------------------------
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rect);
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode);
int OffsetRgn(HRGN rgn, int dx, int dy);
int GetRgnBox(HRGN rgn, RECT* rect);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush);
// Device units; a null region removes the clip.
int SelectClipRgn(HDC hdc, HRGN rgn);
int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode);
// Logical units.
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int GetClipBox(HDC hdc, RECT* rect);
// 1 with the current clip copied into `rgn`, 0 without a clip.
int GetClipRgn(HDC hdc, HRGN rgn);

// --- drawing -------------------------------------------------------------------
BOOL MoveToEx(HDC hdc, int x, int y, POINT* old);
BOOL GetCurrentPositionEx(HDC hdc, POINT* p);
// Lines and polylines leave out their last pixel.
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* points, int count);
BOOL PolylineTo(HDC hdc, const POINT* points, int count);
BOOL PolyPolyline(HDC hdc, const POINT* points, const DWORD* counts, DWORD polylines);
BOOL Polygon(HDC hdc, const POINT* points, int count);
BOOL PolyPolygon(HDC hdc, const POINT* points, const int* counts, int polygons);
// Shapes leave out their right and bottom edges.
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT* rect);
// XOR of a dotted frame: drawing it twice restores the pixels.
BOOL DrawFocusRect(HDC hdc, const RECT* rect);
// 3-D edges in the system colours: BDR_* parts, BF_* sides and options.
#define BDR_RAISEDOUTER 0x0001u
#define BDR_SUNKENOUTER 0x0002u
#define BDR_RAISEDINNER 0x0004u
#define BDR_SUNKENINNER 0x0008u
#define EDGE_RAISED (BDR_RAISEDOUTER | BDR_RAISEDINNER)
#define EDGE_SUNKEN (BDR_SUNKENOUTER | BDR_SUNKENINNER)
#define EDGE_ETCHED (BDR_SUNKENOUTER | BDR_RAISEDINNER)
#define EDGE_BUMP (BDR_RAISEDOUTER | BDR_SUNKENINNER)
#define BF_LEFT 0x0001u
#define BF_TOP 0x0002u
#define BF_RIGHT 0x0004u
#define BF_BOTTOM 0x0008u
#define BF_RECT (BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM)
#define BF_MIDDLE 0x0800u
#define BF_SOFT 0x1000u
#define BF_ADJUST 0x2000u
#define BF_FLAT 0x4000u
#define BF_MONO 0x8000u
BOOL DrawEdge(HDC hdc, RECT* rect, UINT edge, UINT flags);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh, DWORD rop);

// --- bitmaps -------------------------------------------------------------------
// 1, 24 or 32 bits a pixel; `bits` (or null: zeros) rows padded to 16 bits
// for 1 bpp and to 32 bits otherwise, as GetBitmapBits gives them.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
LONG GetBitmapBits(HBITMAP bitmap, LONG size, void* bits);
LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits);
// PNG data (a resource or a file's bytes) as a 24-bit bitmap.
HBITMAP CreateBitmapFromPng(const unsigned char* data, size_t size);

// --- fonts and text ------------------------------------------------------------
BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* tm);
int GetTextFace(HDC hdc, int size, char* face);
BOOL GetTextExtentPoint32(HDC hdc, const char* text, int count, SIZE* size);
// Extents of the shown characters: `fit` of them fit in maxExtent (when `fit`
// is given) and `dx` gets the running extent after each byte's character.
BOOL GetTextExtentExPoint(HDC hdc, const char* text, int count, int maxExtent, int* fit, int* dx, SIZE* size);
BOOL GetCharWidth32(HDC hdc, UINT first, UINT last, int* widths);
BOOL TextOut(HDC hdc, int x, int y, const char* text, int count);
BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const int* dx);
// One character by code point.
BOOL TextOutChar(HDC hdc, int x, int y, UINT codePoint);
int DrawText(HDC hdc, const char* text, int count, RECT* rect, UINT format);
int DrawTextEx(HDC hdc, char* text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params);
LONG TabbedTextOut(HDC hdc, int x, int y, const char* text, int count, int tabCount, const int* tabs, int origin);
DWORD GetTabbedTextExtent(HDC hdc, const char* text, int count, int tabCount, const int* tabs);

// Frees the calling thread's font map and font cache now (a thread's own
// fonts go when it ends anyway).
void ReleaseThreadFonts();

typedef int (*FONTFAMPROC)(const LOGFONT* font, const TEXTMETRIC* metric, DWORD type, LPARAM lParam);
// Every fontconfig family and the mapped faces, in name order.
int EnumFontFamilies(HDC hdc, const char* family, FONTFAMPROC proc, LPARAM lParam);
// The fontconfig family a face name draws with (the face table, then
// fontconfig's best match).
std::string ResolveFontFamily(const char* face, BYTE pitchAndFamily);

// The display rule: valid UTF-8 shows as itself, every other byte as its
// Windows-1252 character (its holes as Latin-1). Each shown character keeps
// the byte range it came from.
struct CShownText {
    std::string utf8;
    std::vector<uint32_t> codePoints;
    std::vector<int> byteStart;   // per shown character, plus the end
};
CShownText ShowBytes(const char* text, size_t count);
// The length of the valid UTF-8 sequence at s (1 for ASCII; reads at most
// left bytes past the first), 0 when not valid: overlong forms, surrogates and
// values past U+10FFFF are not characters.
int Utf8Length(const char* s, size_t left, uint32_t* cp = nullptr);

// --- metafiles -----------------------------------------------------------------
// `bounds` in 0.01 mm (null: the ink extents at close); one unit is a pixel at 96 dpi.
HDC CreateEnhMetaFile(HDC ref, const char* file, const RECT* bounds, const char* description);
HENHMETAFILE CloseEnhMetaFile(HDC hdc);
BOOL DeleteEnhMetaFile(HENHMETAFILE emf);
HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE emf, const char* file);
UINT GetEnhMetaFileDescription(HENHMETAFILE emf, UINT size, char* buffer);
// Bounds in pixels (96 dpi).
BOOL GetEnhMetaFileBounds(HENHMETAFILE emf, RECT* bounds);
BOOL PlayEnhMetaFile(HDC hdc, HENHMETAFILE emf, const RECT* rect);
// SVG with the description as its <title>.
BOOL GetEnhMetaFileSvg(HENHMETAFILE emf, std::string* svg);
BOOL SaveEnhMetaFileSvg(HENHMETAFILE emf, const char* path);
// PNG scaled to at most 4096 pixels a side.
BOOL GetEnhMetaFilePng(HENHMETAFILE emf, std::string* png);
BOOL SaveEnhMetaFilePng(HENHMETAFILE emf, const char* path);

// --- printing ------------------------------------------------------------------
#define DMORIENT_PORTRAIT 1
#define DMORIENT_LANDSCAPE 2
// Paper in 0.1 mm (A4 2100 x 2970 when 0), orientation, and where pages go:
// `printerName` sends the finished PDF with `lp -d NAME FILE`, else `outputFile`.
struct PRINTSETUP {
    int paperWidth;
    int paperLength;
    int orientation;
    const char* outputFile;
    const char* printerName;
};
struct DOCINFO {
    int cbSize;
    const char* lpszDocName;
    const char* lpszOutput;
};
// A 600-dpi printer DC on a PDF file.
HDC CreatePrinterDC(const PRINTSETUP* setup);
// The same pages kept as metafiles for print preview.
HDC CreatePreviewDC(const PRINTSETUP* setup);
// Paper and orientation for the next page.
BOOL ResetPrinterDC(HDC hdc, const PRINTSETUP* setup);
int StartDoc(HDC hdc, const DOCINFO* info);
int StartPage(HDC hdc);
int EndPage(HDC hdc);
int EndDoc(HDC hdc);
int AbortDoc(HDC hdc);
int GetPreviewPageCount(HDC hdc);
// A copy of a preview page (the caller deletes it).
HENHMETAFILE GetPreviewPage(HDC hdc, int index);

// --- resources and image lists ----------------------------------------------
// Per-module bitmap table (module null: the program); names are strings or
// MAKEINTRESOURCE ids.
#define MAKEINTRESOURCE(i) ((const char*)(uintptr_t)(WORD)(i))
#define IS_INTRESOURCE(p) (((uintptr_t)(p) >> 16) == 0)
BOOL RegisterBitmapResource(HINSTANCE module, const char* name, const unsigned char* png, size_t size);
HBITMAP LoadBitmap(HINSTANCE module, const char* name);

#define ILC_MASK 0x0001u
#define ILC_COLOR24 0x0018u
#define ILC_COLOR32 0x0020u
#define ILD_NORMAL 0x0000u
#define ILD_TRANSPARENT 0x0001u
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);
int ImageList_GetImageCount(HIMAGELIST list);
// Adds the bitmap's images (its width / cx of them); -1 on failure.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask);
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC hdc, int x, int y, UINT style);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
