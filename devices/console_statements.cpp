// The console statement group: print, input and clc.
#include "devices/console_statements.h"

#include <atomic>
#include <cctype>
#include <new>

#include "devices/batch_console.h"
#include "devices/console_text.h"
#include "devices/device_manager.h"
#include "devices/device_protocol.h"
#include "interpreter/expression_statements.h"
#include "interpreter/translator.h"
#include "platform/user/user.h"
#include "values/app_settings.h"
#include "values/identifier_ids.h"
#include "values/output_stream.h"
#include "values/value_text.h"

const char* const DefaultConsoleName = "DEFAULT_CONSOLE";

namespace {

const CmdrStatementEntry kConsoleStatements[] = {
    {"print", STMT_PRINT,
     "print [#HANDLE]\r\n      [:SETN=VALN,...,]printN,...\r\nOutputs a text into the console (HANDLE)",
     "print X,Y;"},
    {"clc", STMT_CLC, "clc [#HANDLE]\r\nClears the console (HANDLE)", "clc;"},
    {"input", STMT_INPUT,
     "input [#HANDLE] ivarN...\r\nThe statement reads data from the input console (HANDLE) and writes a data "
     "into the parameters ivarN",
     "input X"},
};

CConsoleStatementGroup ConsoleGroup;
std::atomic<bool> g_batchConsole{false};

}  // namespace

void SetBatchConsole(bool on) { g_batchConsole = on; }
bool IsBatchConsole() { return g_batchConsole.load(); }

// ---- the group ----------------------------------------------------------------

CStatement* CreateConsoleStatement(int code, CStatementBlock* owner)
{
    switch (code) {
    case STMT_PRINT: return new (std::nothrow) CConsoleIoStatement(owner, 0);
    case STMT_CLC: return new (std::nothrow) CClcStatement(owner);
    case STMT_INPUT: return new (std::nothrow) CConsoleIoStatement(owner, 1);
    default: return nullptr;
    }
}

CStatement* CConsoleStatementGroup::CreateStatement(int code, CStatementBlock* owner)
{
    return CreateConsoleStatement(code, owner);
}

bool CConsoleStatementGroup::Exit()
{
    ConsoleDeviceManager().Release();
    return true;
}

CmdrInfo* RegisterConsoleStatements()
{
    ConsoleGroup.deviceManager = &ConsoleDeviceManager();
    ConsoleGroup.title = "Console statements";
    ConsoleGroup.description = "Input/Output Console statements";
    ConsoleGroup.statements = kConsoleStatements;
    ConsoleGroup.statementCount = (int)(sizeof(kConsoleStatements) / sizeof(kConsoleStatements[0]));
    return &ConsoleGroup;
}

// ---- handle --------------------------------------------------------------------

bool CConsoleStatementBase::ParseConsoleHandle(const std::string& name)
{
    if (!name.empty() && (std::isalpha((unsigned char)name[0]) || name[0] == '_')) {
        CVarTable* vars = owner ? owner->Vars() : nullptr;
        CVarSlot* slot = vars ? vars->FindOrAdd(name) : GlobalVariables.FindOrAdd(name);
        if (slot) {
            handleVariable = slot;
            deviceName = name;
            return true;
        }
    }
    ReportError() << "Invalid a console-handle name";
    return false;
}

HWND CConsoleStatementBase::OpenConsoleWindow()
{
    // The handle variable carries the window from statement to statement.
    CValue* handle = handleVariable ? handleVariable->value : nullptr;
    if (handle && handle->Type() == VT_IDENTIFIER) {
        HWND known = WindowOfIdentifierId(handle->Word());
        if (known && IsWindow(known)) return known;
    }
    CIODevice* device = ConsoleDeviceManager().OpenDevice(deviceName.c_str(), DEVICE_IN_PROCESS, nullptr);
    if (!device) return nullptr;
    HWND window = device->Window();
    if (!window || !IsWindow(window)) {
        ReportError() << "Failed to open console control";
        return nullptr;
    }
    if (handle) handle->SetIdentifier(IdentifierIdOfWindow(window));
    return window;
}

StatusWord CConsoleStatementBase::TranslateHandle(std::istream& in, int& kept)
{
    int c = ReadNonBlank(in);
    std::string name;
    if (c == '#') {
        kept = ReadUntil(in, ";\r\n\t ", name);
    } else {
        kept = c;
        name = DefaultConsoleName;
    }
    return ParseConsoleHandle(name) ? 0 : ERR_INTERNAL;
}

// ---- clc -------------------------------------------------------------------------

StatusWord CClcStatement::Translate(std::istream& in)
{
    int kept;
    if (StatusWord st = TranslateHandle(in, kept)) return st;
    if (kept == '\r' || kept == '\n' || kept == '\t' || kept == ' ') kept = ReadNonBlank(in);
    return kept == ';' ? 0 : ERR_SYNTAX;
}

StatusWord CClcStatement::Execute(CValue*)
{
    if (IsBatchConsole()) {
        GetOutputStream()->Clear();
        return 0;
    }
    HWND window = OpenConsoleWindow();
    if (!window) return ERR_INTERNAL;
    ConsoleTitleRequest request;
    request.title = deviceName;
    SendMessage(window, WM_CONSOLE_CLEAR, 0, (LPARAM)&request);
    if (AppSettings::UseAsConsole) GetOutputStream()->Clear();
    return 0;
}

// ---- print and input ------------------------------------------------------------

StatusWord CConsoleIoStatement::Translate(std::istream& in)
{
    int kept;
    if (StatusWord st = TranslateHandle(in, kept)) return st;
    if (kept == ';') return 0;
    if (kept != '\r' && kept != '\n' && kept != '\t' && kept != ' ') PutBackChar(in, kept);

    // Options wait for the next item that is not empty.
    std::vector<std::unique_ptr<ConsoleOptionRecord>> pending;
    for (;;) {
        int c = ReadNonBlank(in);
        if (c == EOF) return ERR_SYNTAX;
        if (c == ':') {
            auto option = std::make_unique<ConsoleOptionRecord>();
            // A ';' also ends the name: an option without a value may close
            // the statement, and the name never runs into the next one.
            int stop = ReadUntil(in, "=,;", option->name);
            if (stop == '=') {
                StatusWord st = ParseStreamExpression(in, owner, &option->value);
                pending.push_back(std::move(option));
                if (st == ERR_COMMA_PLACEMENT) continue;
                return st;
            }
            pending.push_back(std::move(option));
            if (stop == ',') continue;
            return stop == ';' ? 0 : ERR_SYNTAX;
        }
        auto item = std::make_unique<ConsoleItemRecord>();
        if (c == '$' && flag == 1)
            item->target = true;
        else
            PutBackChar(in, c);
        StatusWord st = ParseStreamExpression(in, owner, &item->expr);
        if (st != 0 && st != ERR_COMMA_PLACEMENT) return st;
        if (item->expr.root) {
            item->options = std::move(pending);
            pending.clear();
            items.push_back(std::move(item));
        }
        if (st == 0) return 0;
    }
}

StatusWord CConsoleIoStatement::Execute(CValue*)
{
    const size_t n = items.size();
    std::vector<ConsoleIoItem> io(n);
    std::vector<std::vector<ConsoleIoOption>> options(n);

    // Targets first: nothing else is evaluated when one is no variable.
    bool anyTarget = false;
    for (size_t i = 0; i < n; ++i) {
        if (!items[i]->target) continue;
        CValue* target = nullptr;
        if (StatusWord st = owner->EvaluateReference(items[i]->expr.root, &target)) return st;
        if (!target) return ERR_NOT_LVALUE;
        io[i].target = target;
        anyTarget = true;
    }
    for (size_t i = 0; i < n; ++i) {
        options[i].resize(items[i]->options.size());
        for (size_t k = 0; k < items[i]->options.size(); ++k) {
            const ConsoleOptionRecord& option = *items[i]->options[k];
            options[i][k].name = option.name;
            if (StatusWord st = EvalStatementArgument(option.value.root, options[i][k].value, owner)) return st;
        }
        io[i].options = options[i].empty() ? nullptr : options[i].data();
        io[i].optionCount = (uint32_t)options[i].size();
        if (items[i]->target) continue;
        if (StatusWord st = EvalStatementArgument(items[i]->expr.root, io[i].value, owner)) return st;
    }

    const bool batch = IsBatchConsole();
    bool asked = false;  // whether the targets were asked for: only then a null target means "no value"
    if (batch) {
        // One line of standard input per target; the options mean nothing here.
        bool more = true;
        for (ConsoleIoItem& item : io) {
            if (!item.target) continue;
            std::string line;
            if (more &&
                ReadStandardInputLine(line, [this] { return owner->Context()->IsStopRequested() != 0; }) ==
                    StdinLine::Read)
                ConsoleTextToValue(line, *item.target);
            else {
                more = false;
                item.target = nullptr;
            }
        }
        asked = true;
    } else {
        HWND window = OpenConsoleWindow();
        if (!window) return ERR_INTERNAL;
        if (AppSettings::ConsoleSendBatch) {
            asked = true;
            if (anyTarget && owner->Context()->IsStopRequested()) {
                // A break handled before the request arrived would be lost
                // and the read would wait for the user: send nothing.
                for (ConsoleIoItem& item : io) item.target = nullptr;
            } else {
                ConsoleIoRequest request;
                request.title = deviceName;
                request.items = io.empty() ? nullptr : io.data();
                request.itemCount = (uint32_t)n;
                // The reply says nothing about which targets were read.
                SendMessage(window, WM_CONSOLE_IO, 0, (LPARAM)&request);
            }
        }
    }

    if (asked) {
        for (size_t i = 0; i < n; ++i) {
            if (!items[i]->target || io[i].target) continue;
            CMessageWriter w(MSG_WARNING);
            w.Output()->AttachToCurrent(MakeSourcePosition(owner, textStart));
            w << "Failed to read parameter from the console";
        }
    }

    // The mirror: every item's text side by side, in one message.
    if (n > 0 && (batch || AppSettings::UseAsConsole)) {
        CMessageWriter w(MSG_PLAIN);
        w.Output()->AttachToCurrent(MakeSourcePosition(owner, textStart));
        for (size_t i = 0; i < n; ++i) {
            if (!items[i]->target)
                WriteValue(w.Stream(), io[i].value, ConsoleMirrorTextFormat);
            else if (io[i].target)
                WriteValue(w.Stream(), *io[i].target, ConsoleMirrorTextFormat);
            else
                w << "INVALID";
        }
    }
    return 0;
}
