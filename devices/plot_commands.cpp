// The plot statements that act on the plot device: each turns its evaluated
// arguments into one command and sends it synchronously to the window of its
// handle, through the shared block (clrplot, plot2d, setplot, dimplot,
// bndplot) or by address (plot).
#include <cmath>

#include "devices/device_manager.h"
#include "devices/plot_statements.h"
#include "interpreter/block.h"
#include "interpreter/expression_statements.h"
#include "interpreter/var_table.h"
#include "platform/user/user.h"
#include "values/identifier_ids.h"
#include "values/output_stream.h"
#include "values/value_matrix.h"

// ---- window and block -------------------------------------------------------------

CIODeviceManager* PlotStatementsManager() { return &PlotDeviceManager(); }

HWND CPlotStatementBase::OpenPlotWindow()
{
    CIODeviceManager& manager = PlotDeviceManager();
    CValue* var = handleVariable ? handleVariable->value : nullptr;
    if (var && var->Type() == VT_IDENTIFIER) {
        HWND window = WindowOfIdentifierId(var->Word());
        if (window && IsWindow(window)) return window;
    }
    CIODevice* device = manager.OpenDevice(HandleName().c_str(), DEVICE_IN_PROCESS, nullptr);
    if (!device) return nullptr;  // reported
    HWND window = device->Window();
    if (!window || !IsWindow(window)) {
        ReportError() << "Failed to open plot control";
        return nullptr;
    }
    if (var) var->SetIdentifier(IdentifierIdOfWindow(window));
    return window;
}

StatusWord CPlotStatementBase::SendBlock(uint64_t size, unsigned message, uintptr_t wParam, intptr_t lParam,
                                         const std::function<StatusWord(CPlotBlockWriter&)>& write, intptr_t* reply)
{
    // wParam and the device's counts are 32-bit.
    if (size > UINT32_MAX) return ERR_EXTERNAL_BUFFER;
    CIODeviceManager* manager = &PlotDeviceManager();
    void* view = manager->CreateSharedBlock((size_t)size);
    if (!view) return ERR_EXTERNAL_BUFFER;
    // The block's name is fixed: one left behind would refuse every later command.
    struct Release {
        CIODeviceManager* manager;
        ~Release() { manager->ReleaseSharedBlock(); }
    } release{manager};

    CPlotBlockWriter w(static_cast<uint8_t*>(view), size);
    if (StatusWord s = write(w)) return s;
    if (w.Overflowed() || w.Written() != size) return ERR_INTERNAL_SUPPORT;
    HWND window = OpenPlotWindow();
    if (!window) return ERR_INTERNAL;
    LRESULT r = SendMessage(window, message, wParam, lParam);
    if (reply) *reply = r;
    return 0;
}

// ---- clrplot ------------------------------------------------------------------------

StatusWord CClrplotStatement::Execute(CValue*)
{
    CurrentPlotState st = GetCurrentPlot();
    uint64_t size = PlotHeadSize(handleName);
    intptr_t reply = 0;
    StatusWord s = SendBlock(
        size, WM_PLOT_CLEAR, (uintptr_t)size, 0,
        [&](CPlotBlockWriter& w) {
            w.Head(handleName, st.planeX, st.planeY, st.objectId);
            return StatusWord(0);
        },
        &reply);
    if (s) return s;
    if (reply != 0) {
        ReportError() << "Failed to clear graphic object";
        return ERR_INTERNAL;
    }
    return 0;
}

// ---- plot2d ---------------------------------------------------------------------------

namespace {

void WarnSizes(CStatementBlock* owner, int textStart)
{
    CMessageWriter w(MSG_WARNING);
    w.Output()->AttachToCurrent(MakeSourcePosition(owner, textStart));
    w << "Plot2d: X and Y vectors must be a same sizes";
}

}  // namespace

StatusWord CPlot2dStatement::Execute(CValue*)
{
    std::vector<PlotTextOption> globals;
    if (StatusWord s = EvaluatePlotOptions(globalOptions, owner, globals)) return s;

    // Every series is evaluated and measured before the block exists.
    struct Prepared {
        // The series' values belong to this run of the statement: a user
        // function in them may run the same statement again before they are made.
        CValue xValue, yValue;
        CValueMatrix xOne, yOne;  // a scalar as a 1 x 1 matrix
        const CValueMatrix* x = nullptr;
        const CValueMatrix* y = nullptr;
        uint32_t points = 0;
        std::vector<PlotTextOption> options;
    };
    std::vector<Prepared> prepared(series.size());
    uint64_t size = PlotHeadSize(handleName) + 4 + PlotOptionPairsSize(globals) + 4;
    for (size_t i = 0; i < series.size(); ++i) {
        Series& sr = *series[i];
        Prepared& p = prepared[i];
        if (StatusWord s = EvalStatementArgument(sr.x.root, p.xValue, owner)) return s;
        if (!sr.y.root) return ERR_DIMENSIONS;
        if (StatusWord s = EvalStatementArgument(sr.y.root, p.yValue, owner)) return s;
        auto asMatrix = [](const CValue& v, CValueMatrix& one) -> const CValueMatrix* {
            if (v.Type() == VT_MATRIX) return v.MatrixPtr();
            one = CValueMatrix(v);
            return &one;
        };
        p.x = asMatrix(p.xValue, p.xOne);
        p.y = asMatrix(p.yValue, p.yOne);
        if (p.x->Rows() < 1 || p.x->Cols() < 1 || p.y->Rows() < 1 || p.y->Cols() < 1) return ERR_DIMENSIONS;
        int cols = p.x->Cols();
        if (p.y->Cols() != cols) {
            // Once for every series whose sizes differ.
            WarnSizes(owner, textStart);
            if (p.y->Cols() < cols) cols = p.y->Cols();
        }
        p.points = (uint32_t)cols;
        if (StatusWord s = EvaluatePlotOptions(sr.options, owner, p.options)) return s;
        size += PlotSeriesSize(p.points, p.options);
    }

    CurrentPlotState st = GetCurrentPlot();
    PlotPointNotices notices;
    intptr_t reply = 0;
    // The device answers 90 when it could not hold the points.
    StatusWord sent = SendBlock(size, WM_PLOT_DATA, (uintptr_t)size, (intptr_t)st.holdFlags, [&](CPlotBlockWriter& w) {
        w.Head(handleName, st.planeX, st.planeY, st.objectId);
        w.Options(globals);
        w.U32((uint32_t)prepared.size());
        for (const Prepared& p : prepared) {
            w.U32(p.points);
            if (StatusWord s = WritePlotPoints(w, p.x->Row(0), p.y->Row(0), p.points, notices)) return s;
            w.Options(p.options);
        }
        return StatusWord(0);
    }, &reply);
    if (sent) return sent;
    return reply == ERR_EXTERNAL_BUFFER ? StatusWord(ERR_EXTERNAL_BUFFER) : StatusWord(0);
}

// ---- setplot ----------------------------------------------------------------------------

StatusWord CSetplotStatement::Execute(CValue*)
{
    std::vector<PlotTextOption> texts;
    if (StatusWord s = EvaluatePlotOptions(options, owner, texts)) return s;
    CurrentPlotState st = GetCurrentPlot();
    uint64_t size = PlotHeadSize(handleName) + 4 + PlotOptionPairsSize(texts);
    return SendBlock(size, WM_PLOT_SET, 0, 0, [&](CPlotBlockWriter& w) {
        w.Head(handleName, st.planeX, st.planeY, st.objectId);
        w.Options(texts);
        return StatusWord(0);
    });
}

// ---- dimplot and bndplot -------------------------------------------------------------

namespace {

// A Real, or a Complex with a zero imaginary part.
bool RealNumber(const CValue& v, double& x)
{
    if (v.Type() == VT_REAL) {
        x = v.Real();
        return true;
    }
    if (v.Type() == VT_COMPLEX && v.ComplexRef().im == 0) {
        x = v.ComplexRef().re;
        return true;
    }
    return false;
}

// A window size: absent is 0 (the device's default); else a real number
// truncated toward zero, in 0..32767 (75 otherwise).
StatusWord EvalWindowSize(const CCompiledExpr& e, CStatementBlock* owner, int& out)
{
    out = 0;
    if (!e.root) return 0;
    CValue v;
    if (StatusWord s = EvalStatementArgument(e.root, v, owner)) return s;
    double x;
    int n;
    if (!RealNumber(v, x) || !DoubleToInt(x, n) || n < 0 || n > 32767) return ERR_RANGED_INTEGER;
    out = n;
    return 0;
}

}  // namespace

StatusWord CDimplotStatement::Execute(CValue*)
{
    int w = 0, h = 0;
    if (StatusWord s = EvalWindowSize(width, owner, w)) return s;
    if (StatusWord s = EvalWindowSize(height, owner, h)) return s;
    CurrentPlotState st = GetCurrentPlot();
    return SendBlock(PlotHeadSize(handleName), WM_PLOT_DIM, 0, PlotDimParam(w, h), [&](CPlotBlockWriter& wr) {
        wr.Head(handleName, st.planeX, st.planeY, st.objectId);
        return StatusWord(0);
    });
}

StatusWord CBndplotStatement::Execute(CValue*)
{
    // NaN tells the device to keep that bound.
    for (int i = 0; i < 4; ++i) {
        values[i] = std::nan("");
        if (!bounds[i].root) continue;
        CValue v;
        if (StatusWord s = EvalStatementArgument(bounds[i].root, v, owner)) return s;
        double x;
        if (!RealNumber(v, x) || !std::isfinite(x)) return ERR_STATEMENT_OPERAND;
        values[i] = x;
    }
    CurrentPlotState st = GetCurrentPlot();
    intptr_t reply = 0;
    StatusWord s = SendBlock(
        PlotHeadSize(handleName) + 32, WM_PLOT_BOUNDS, 0, 0,
        [&](CPlotBlockWriter& w) {
            w.Head(handleName, st.planeX, st.planeY, st.objectId);
            for (double b : values) w.F64(b);
            return StatusWord(0);
        },
        &reply);
    return s ? s : (StatusWord)reply;
}

// ---- plot -------------------------------------------------------------------------------

namespace {

// A new value replaces the one of an earlier execution.
StatusWord EvalInto(CCompiledExpr& expr, CValue& value, CStatementBlock* owner)
{
    CValue v;
    if (StatusWord s = EvalStatementArgument(expr.root, v, owner)) return s;
    value = std::move(v);
    return 0;
}

// An operand that names a matrix is handed over as a handle of it: the device
// reads it during the call exactly as it would read a copy, and a figure of
// millions of points costs no copy of the program's data.
StatusWord EvalOperand(CCompiledExpr& expr, CValue& value, CStatementBlock* owner)
{
    if (!expr.root) return 0;
    CValue v;
    StatusWord status = EvaluateNode(expr.root, v, owner);
    if (IsErrorStatus(status)) return status;
    // Otherwise what EvalStatementArgument does after its evaluation.
    if (!(v.IsHandle() && v.HandleTarget() && v.HandleTarget()->Type() == VT_MATRIX)) {
        ResolveHandles(v);
        if (v.Type() == VT_EMPTY && expr.root->kind == EXPR_VARIABLE) return ERR_UNDEFINED_VARIABLE;
    }
    if (status) return status;
    value = std::move(v);
    return 0;
}

}  // namespace

StatusWord CPlotStatement::Execute(CValue*)
{
    for (PlotOptionRecord* o : m_options) {
        if (!o->expr.root) continue;
        if (StatusWord s = EvalInto(o->expr, o->value, owner)) return s;
    }
    // Nothing of the operands is kept after the call (handles least of all).
    struct Release {
        std::vector<SeriesArrays>& arrays;
        ~Release()
        {
            for (SeriesArrays& a : arrays)
                for (PlotExprItem* e : a.items) e->value.Clear();
        }
    } release{m_seriesArrays};
    for (SeriesArrays& a : m_seriesArrays) {
        for (PlotExprItem* e : a.items)
            if (StatusWord s = EvalOperand(e->expr, e->value, owner)) return s;
        for (PlotOptionRecord* o : a.options)
            if (StatusWord s = EvalInto(o->expr, o->value, owner)) return s;
    }
    // A stop during the operands' evaluation: the device sees only stops
    // that come while it works.
    if (owner->Context()->IsStopRequested()) return ERR_STOPPED;
    CurrentPlotState st = GetCurrentPlot();
    PlotCommandPosition position{st.planeX, st.planeY, st.objectId, st.holdFlags};
    HWND window = OpenPlotWindow();
    if (!window) return ERR_INTERNAL;
    return (StatusWord)SendMessage(window, WM_PLOT_COMMAND, (WPARAM)&position, (LPARAM)&text);
}

// ---- the group's exit ---------------------------------------------------------------

bool CPlotStatementGroup::Exit()
{
    PlotDeviceManager().Release();
    return true;
}
