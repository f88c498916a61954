#pragma once
// A figure: what one plot window shows. A named grid of planes with the
// defaults new planes and objects inherit, the planes whose new objects wait
// for the next commit, and a fixed or window-following drawing size. The view
// derives from it and supplies the window operations. Everything here runs on
// the device thread that owns the view.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "graphics/graph.h"
#include "plot_device/plot_plane.h"
#include "platform/types.h"

class CValue;
class CByteStream;

// The host's posplot limit: a position is -1 or 1..kMaxPlotPosition.
constexpr int32_t kMaxPlotPosition = 800;
constexpr UINT_PTR kPlotHoldTimer = 15;
constexpr UINT kPlotHoldDelay = 500;
// Statuses of a plot request as the program reports them.
constexpr int kPlotStatusStopped = 25;        // "Program is stoped"
constexpr int kPlotStatusNoPointMemory = 90;  // no memory for the points

inline bool ValidPlotPosition(int32_t v) { return v == -1 || (v >= 1 && v <= kMaxPlotPosition); }

using PlotTextPair = std::pair<std::string, std::string>;

// The blocks of the mapping, parsed before anything is applied.
struct PlotHead {
    std::string name;
    int32_t col = -1, row = -1, objectId = -1;
};
struct PlotClearBlock : PlotHead {};
struct PlotDataBlock : PlotHead {
    struct Series {
        std::vector<Point2D> points;
        std::vector<PlotTextPair> options;
    };
    std::vector<PlotTextPair> planeOptions;
    std::vector<Series> series;
};
struct PlotSetBlock : PlotHead {
    std::vector<PlotTextPair> pairs;
};
struct PlotBoundsBlock : PlotHead {
    double bounds[4] = {0, 0, 0, 0};  // xmin, xmax, ymax, ymin
};

// False for a malformed block (lengths or counts past the end, a bad position).
bool ParseClearBlock(const uint8_t* p, size_t size, PlotClearBlock& out);
bool ParseDataBlock(const uint8_t* p, size_t size, PlotDataBlock& out);
bool ParseSetBlock(const uint8_t* p, size_t size, PlotSetBlock& out);
bool ParseNameBlock(const uint8_t* p, size_t size, std::string& name);
bool ParseBoundsBlock(const uint8_t* p, size_t size, PlotBoundsBlock& out);

struct PlotObjectDefaults {
    int32_t penStyle = 0;
    int32_t penWidth = 0;
    COLORREF color = 0xFF0000;
    COLORREF fillColor = 0x00FF00;
    int16_t fillStyle = -2;
    uint8_t kind = 1;
    uint8_t marker = 0;
    std::string legend;
    std::string boxLegend;
    int32_t inLegend = 0;
};

struct PlotGraphDefaults {
    uint8_t titleShown = 0;
    uint8_t axisStyle = AXIS_CLASSIC;
    uint8_t equalAxes = 0;
    std::string title;
    std::string titleFont = "Times New Roman";
    int32_t titleFontSize = 20;
    std::string axisFont = "Times New Roman";
    int32_t axisFontSize = 16;
    std::string legendFont = "Times New Roman";
    int32_t legendFontSize = 16;
    COLORREF background = 0x80000000;
    COLORREF axisColor = 0;
    COLORREF gridColor = 0x646464;
    std::string xLabel, yLabel;
    uint8_t xType = 0, yType = 0;
    uint8_t xFlags = 3, yFlags = 3;
    std::string numberFormat = "%.6g";
    int32_t xLog = 0, yLog = 0;
    int32_t polarOffset = 0;
};

class CPlotFigure {
public:
    std::string m_name;
    int32_t m_cols = 1;
    int32_t m_rows = 1;
    std::vector<std::unique_ptr<CPlotPlane>> m_planes;
    std::vector<CPlotPlane*> m_pending;
    int32_t m_viewWidth = -1;
    int32_t m_viewHeight = -1;
    double m_pendingBounds[4];
    PlotObjectDefaults m_objectDefaults;
    PlotGraphDefaults m_graphDefaults;

    CPlotFigure();
    virtual ~CPlotFigure();
    CPlotFigure(const CPlotFigure&) = delete;
    CPlotFigure& operator=(const CPlotFigure&) = delete;

    // ---- window operations (the view's) ----
    virtual void SetViewSize(int width, int height) { m_viewWidth = width; m_viewHeight = height; }
    virtual SIZE GetViewSize() { return SIZE{m_viewWidth, m_viewHeight}; }
    virtual void GetFigureClientRect(RECT* r) { *r = RECT{0, 0, 0, 0}; }
    virtual HWND GetFigureWindow() { return nullptr; }
    virtual void PrepareDC(HDC) {}
    virtual void Redraw(const RECT*) {}
    virtual void SetFigureTitle(const std::string&) {}
    virtual UINT_PTR SetFigureTimer(UINT_PTR, UINT) { return 0; }
    virtual void OnFigureTimer(UINT_PTR id);
    virtual bool KillFigureTimer(UINT_PTR) { return false; }
    // The read-out line of a plane under the mouse (the status bar's pane 1).
    virtual void ShowReadout(const std::string&) {}
    // What committed planes and objects take from the view's mouse mode.
    virtual int CommittedMouseMode() const { return 1; }
    virtual void OnObjectCommitted(CGraphObject&) {}

    // ---- model ----
    // Null for a position that is neither -1 nor 1..kMaxPlotPosition.
    CPlotPlane* GetPlane(int32_t row, int32_t col, bool& created);
    CPlotPlane* FindPlane(int32_t row, int32_t col) const;
    bool HasPlane(int32_t row, int32_t col) const { return FindPlane(row, col) != nullptr; }
    bool RemovePlane(CPlotPlane* plane);
    int ClearPlot(int32_t row, int32_t col, int32_t objectId);
    void RecalcGrid();
    SIZE GetFigureSize();
    RECT PlaneRect(int32_t row, int32_t col, const SIZE* size = nullptr);
    void PositionPlanes();
    bool CommitPending();
    // Commits the pending planes and shows them: when the grid and the
    // figure's size are those of the last layout only those planes are
    // repainted, so a plot costs the same in a figure of thousands of planes.
    // 0, or the request's status when their points could not be laid out for
    // lack of memory or the program stopped meanwhile: the objects just
    // committed are dropped again.
    int CommitAndShow();
    void SetWindowAll(HWND hwnd);
    void Reset();
    void SelectAt(int x, int y);
    void SelectNeighbour(bool up, bool down, bool left, bool right);
    CPlotPlane* FindPlaneOfObject(const CGraphObject* object) const;
    void Draw(HDC dc, bool all);
    void ApplyObjectDefaults(CGraphObject& object) const;
    void ApplyGraphDefaults(CPlotPlane& plane) const;
    void ApplyPropertyValue(CPlotPlane* plane, CGraphObject* object, const std::string& name, const CValue& value,
                            bool figureMode);
    // The plot file's body after the placement. Load reads into an empty
    // scratch figure and refuses untrusted cells and sizes; the document then
    // moves the planes over with TakeFileContent.
    bool Save(CByteStream& s);
    bool Load(CByteStream& s);
    void TakeFileContent(CPlotFigure& other);
    std::string TitleText() const { return m_name.empty() ? "DEFAULT" : m_name; }

    // ---- busy state: drags and dialogs hold planes and objects ----
    void EnterBusy() { m_busy++; }
    void LeaveBusy();
    bool IsBusy() const { return m_busy > 0; }
    // Frees now, or when the figure is no longer busy.
    void Discard(std::unique_ptr<CPlotPlane> plane);
    void Discard(std::unique_ptr<CGraphObject> object);
    std::vector<CPlotPlane*> PlaneSnapshot() const;

    // ---- readers; the Apply forms take a parsed block ----
    LRESULT OnDeviceClrPlot(WPARAM size, LPARAM);
    LRESULT OnDevicePlot2d(WPARAM size, LPARAM holdFlags);
    LRESULT OnDeviceSetPlot(WPARAM size, LPARAM);
    LRESULT OnDeviceDimPlot(WPARAM size, LPARAM packedSize);
    LRESULT OnDeviceBndPlot(WPARAM size, LPARAM);
    LRESULT OnDevicePlotCommand(WPARAM position, LPARAM text);

    LRESULT ReadClear(const uint8_t* p, size_t size);
    LRESULT ReadPlot2d(const uint8_t* p, size_t size, uint32_t holdFlags);
    LRESULT ReadSet(const uint8_t* p, size_t size);
    LRESULT ReadDim(const uint8_t* p, size_t size, uint32_t packedSize);
    LRESULT ReadBounds(const uint8_t* p, size_t size);

    void ApplyClearBlock(const PlotClearBlock& block);
    // A series whose points cannot be allocated sets *status to 90.
    CPlotPlane* ApplyPlotBlock(const PlotDataBlock& block, int* status = nullptr);
    void ApplySetBlock(const PlotSetBlock& block);
    void ApplyBoundsBlock(const PlotBoundsBlock& block);
    // After a plot: title, window, and commit now or after the hold delay;
    // 0, or the status of CommitAndShow (nothing of the points is kept).
    int FinishPlot(uint32_t holdFlags);

private:
    void ShowCommitted(const std::vector<CPlotPlane*>& committed);
    // The planes by cell (the first of a cell, as FindPlane answered by a
    // walk), and how many planes use each row and column: a plot into a
    // figure of thousands of planes finds its plane and the grid's extent
    // without a walk over them. Kept by every change of m_planes.
    std::unordered_map<uint64_t, CPlotPlane*> m_cells;
    std::map<int32_t, int> m_rowUse, m_colUse;
    size_t m_sharedCells = 0;  // planes of a cell another plane indexes (from files)
    HWND m_allWindow = nullptr;  // what SetWindowAll gave every plane last
    static uint64_t CellKey(int32_t row, int32_t col) { return (uint64_t)(uint32_t)row << 32 | (uint32_t)col; }
    void IndexPlane(CPlotPlane* plane);
    void UnindexPlane(CPlotPlane* plane);
    void RebuildIndex();
    // The grid and size of the last PositionPlanes.
    int32_t m_laidRows = 0, m_laidCols = 0;
    SIZE m_laidSize{-1, -1};
    int m_busy = 0;
    std::vector<std::unique_ptr<CPlotPlane>> m_deferredPlanes;
    std::vector<std::unique_ptr<CGraphObject>> m_deferredObjects;
    std::unique_ptr<CPlotPlane> DetachPlane(CPlotPlane* plane);
};

// One textual property applied to an object, a plane and, in figure mode, the
// figure's defaults.
void ParsePlotProperty(CPlotFigure& figure, CPlotPlane* plane, CGraphObject* object, const std::string& property,
                       std::string value, bool figureMode);
// Saturating decimal readers of the property values.
int32_t ReadPlotInteger(const std::string& text);
uint32_t ReadPlotColourNumber(const std::string& text);

struct WINDOWPLACEMENT;
// A whole plot file: the frame's placement, then the figure's body.
bool WritePlotFile(CPlotFigure& figure, const WINDOWPLACEMENT& placement, std::string& bytes);
// The same bytes written to a file descriptor as they are made: a figure of
// millions of points is never held twice in memory.
bool WritePlotFile(CPlotFigure& figure, const WINDOWPLACEMENT& placement, int fd);
// Into an empty scratch figure; false for a short, foreign or untrusted file.
bool ReadPlotFile(const std::string& bytes, WINDOWPLACEMENT& placement, CPlotFigure& scratch);
// A placement worth applying: shown normally, minimised or maximised, with a
// non-empty normal rectangle that meets the screen.
bool UsablePlotPlacement(const WINDOWPLACEMENT& placement);
