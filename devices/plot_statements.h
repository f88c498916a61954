#pragma once
// The plot statement group: plot2d, posplot, subplot, clrplot, hldplot,
// setplot, dimplot, bndplot and plot. posplot, subplot and hldplot only change
// the current-plot state that every plot command carries; the others send a
// command to the plot device window named by their handle.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "devices/device_protocol.h"
#include "devices/plot_blocks.h"
#include "interpreter/expr_tree.h"
#include "interpreter/statement_module.h"
#include "values/value.h"

struct CVarSlot;

enum PlotStatementCode : int {
    STMT_PLOT2D = 140,
    STMT_POSPLOT = 141,
    STMT_SUBPLOT = 142,
    STMT_CLRPLOT = 143,
    STMT_HLDPLOT = 144,
    STMT_SETPLOT = 145,
    STMT_DIMPLOT = 146,
    STMT_BNDPLOT = 147,
    STMT_PLOT = 148,
};

// ---- current-plot state (one per process, reset when a program thread starts)

struct CurrentPlotState {
    int32_t planeX;      // -1 = not chosen
    int32_t planeY;
    int32_t objectId;    // -1 = none
    uint32_t holdFlags;  // bit 0: hold
};

CurrentPlotState GetCurrentPlot();
void SetCurrentPlane(int32_t x, int32_t y);
void SetCurrentObject(int32_t id);
void SetPlotHold(int mode);  // 1 on, 0 off, -1 toggle
// Hold off, planes and object not chosen.
void ResetCurrentPlot();

// ---- statements --------------------------------------------------------------

// Statements that name a device window by a handle ("#NAME").
class CPlotStatementBase : public CStatement {
public:
    CVarSlot* handleVariable = nullptr;  // null without a handle

    explicit CPlotStatementBase(CStatementBlock* owner) : CStatement(owner) {}
    // The handle name, empty without a handle; the device name of the window.
    virtual std::string& HandleName() = 0;

    // Binds the handle word (trimmed): false after "Invalid a plot handle name".
    bool ParsePlotHandle(const std::string& word);
    // The statement's window: the one its handle variable holds while it is
    // alive, else the device opened by name (its id stored in the variable).
    // Null after the message.
    HWND OpenPlotWindow();

protected:
    // Reads the handle of the statements that require one: '#' first (else
    // 39), then the word up to a blank or ';' (a ';' is left in the stream).
    StatusWord TranslateRequiredHandle(std::istream& in);
    // Creates the shared block of size bytes, lets write fill it, opens the
    // window and sends the message; the block is released on every path.
    // reply (optional) receives the device's answer.
    StatusWord SendBlock(uint64_t size, unsigned message, uintptr_t wParam, intptr_t lParam,
                         const std::function<StatusWord(CPlotBlockWriter&)>& write, intptr_t* reply = nullptr);
};

class CNamedPlotStatement : public CPlotStatementBase {
public:
    std::string handleName;
    explicit CNamedPlotStatement(CStatementBlock* owner) : CPlotStatementBase(owner) {}
    std::string& HandleName() override { return handleName; }
};

// An option of plot2d and setplot: the value goes to the device as text.
struct PlotOptionEntry {
    PlotTextOption option;
    CCompiledExpr expr;
};

// Options one after another, name=value, the name trimmed and lower-cased
// (30 without '='), until one ends with the stop status end (0 for ';', 31
// for ')'); any other ending than ',' and end is an error (';' gives 30), an
// empty value 15. The second form adds each option through add, which
// hands out the slots of a new option's name and expression.
StatusWord ParsePlotOptions(std::istream& in, CStatementBlock* owner, StatusWord end,
                            std::vector<PlotOptionEntry*>& list);
StatusWord ParseOptionList(std::istream& in, CStatementBlock* owner, StatusWord end,
                           const std::function<void(std::string*&, CCompiledExpr*&)>& add);
// Evaluates each option's value into its text.
StatusWord EvaluatePlotOptions(const std::vector<PlotOptionEntry*>& list, CStatementBlock* owner,
                               std::vector<PlotTextOption>& out);

class CPlot2dStatement : public CNamedPlotStatement {
public:
    struct Series {
        CCompiledExpr x, y;  // y may be absent
        std::vector<PlotOptionEntry*> options;
        ~Series();
    };
    std::vector<PlotOptionEntry*> globalOptions;
    std::vector<Series*> series;

    explicit CPlot2dStatement(CStatementBlock* owner) : CNamedPlotStatement(owner) {}
    ~CPlot2dStatement() override;
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

class CPosplotStatement : public CStatement {
public:
    CCompiledExpr x, y;
    explicit CPosplotStatement(CStatementBlock* owner) : CStatement(owner) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

class CSubplotStatement : public CStatement {
public:
    CCompiledExpr id;
    explicit CSubplotStatement(CStatementBlock* owner) : CStatement(owner) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

class CClrplotStatement : public CNamedPlotStatement {
public:
    explicit CClrplotStatement(CStatementBlock* owner) : CNamedPlotStatement(owner) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

class CHldplotStatement : public CStatement {
public:
    int mode = -1;  // 1 "on", 0 "off", -1 toggle
    explicit CHldplotStatement(CStatementBlock* owner) : CStatement(owner) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

class CSetplotStatement : public CNamedPlotStatement {
public:
    std::vector<PlotOptionEntry*> options;
    explicit CSetplotStatement(CStatementBlock* owner) : CNamedPlotStatement(owner) {}
    ~CSetplotStatement() override;
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

class CDimplotStatement : public CNamedPlotStatement {
public:
    CCompiledExpr width, height;  // both absent for "*"
    explicit CDimplotStatement(CStatementBlock* owner) : CNamedPlotStatement(owner) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

class CBndplotStatement : public CNamedPlotStatement {
public:
    CCompiledExpr bounds[4];  // Xleft, Xright, Ytop, Ybottom; each may be absent
    double values[4] = {};
    explicit CBndplotStatement(CStatementBlock* owner) : CNamedPlotStatement(owner) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

// plot [CMD] [#HANDLE] series [, options];  The device reads the statement's
// records by address (text), with the values of the latest execution.
class CPlotStatement : public CPlotStatementBase {
public:
    PlotCommandText text;  // figure = handle name; its arrays point into the vectors below

    explicit CPlotStatement(CStatementBlock* owner) : CPlotStatementBase(owner) {}
    ~CPlotStatement() override;
    std::string& HandleName() override { return text.figure; }
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;

private:
    struct SeriesArrays {
        std::vector<PlotExprItem*> items;
        std::vector<PlotOptionRecord*> options;
    };
    std::vector<PlotSeriesRecord*> m_series;
    std::vector<SeriesArrays> m_seriesArrays;  // one per series record
    std::vector<PlotOptionRecord*> m_options;

    StatusWord ParseSeries(std::istream& in, bool parenthesised);
    StatusWord ParseRecordOptions(std::istream& in, StatusWord end, std::vector<PlotOptionRecord*>& list);
    // Points the records' pointer and count fields at the arrays.
    void LinkRecords();
};

// ---- the group -----------------------------------------------------------------

class CPlotStatementGroup : public CmdrInfo {
public:
    CStatement* CreateStatement(int code, CStatementBlock* owner) override;
    // Releases the plot device manager: its windows close.
    bool Exit() override;
};

// The plot device manager that the statements send through.
CIODeviceManager* PlotStatementsManager();

// A new statement for codes 140 to 148, or null.
CStatement* CreatePlotStatement(int code, CStatementBlock* owner);

// Fills the group record (idempotent) and returns it, ready for
// CStatementModuleList::AddGroup.
CmdrInfo* RegisterPlotStatements();
