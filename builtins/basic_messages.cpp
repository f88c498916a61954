// The message functions error, warning and trace, and the clocks of the
// "Basic" library.
#include <ctime>
#include <string>

#include "builtins/basic_functions.h"
#include "builtins/cell_walk.h"
#include "values/app_settings.h"
#include "values/output_stream.h"
#include "values/text_format.h"
#include "values/value_matrix.h"
#include "values/value_text.h"

namespace {

// One message: time stamp, colour and prefix by kind, an optional label, then
// the value's text in the output bar's format.
void WriteMessage(MessageKind kind, const std::string& label, const CValue& text)
{
    CMessageWriter w(kind);
    if (!label.empty()) w << label << ": ";
    WriteValue(w.Stream(), text, CurrentDisplayTextFormat());
}

}  // namespace

StatusWord BuiltinError(CValue* text, CValue*)
{
    if (text->Type() != VT_CHAR && text->Type() != VT_STRING) return ERR_ARGUMENT_TYPE;
    WriteMessage(MSG_ERROR, std::string(), *text);
    return 0;
}

StatusWord BuiltinWarning(CValue* text, CValue*)
{
    if (text->Type() != VT_CHAR && text->Type() != VT_STRING) return ERR_ARGUMENT_TYPE;
    WriteMessage(MSG_WARNING, std::string(), *text);
    return 0;
}

StatusWord BuiltinTrace(CValue* kind, CValue* text, CValue* out)
{
    std::string k;
    if (!ReadTextArgument(*kind, k)) return ERR_ARGUMENT_TYPE;
    if (k == "error") return BuiltinError(text, out);
    if (k == "warn") WriteMessage(MSG_WARNING, std::string(), *text);
    else if (k == "info") WriteMessage(MSG_INFO, std::string(), *text);
    else WriteMessage(MSG_PLAIN, k, *text);
    return 0;
}

StatusWord BuiltinTick(CValue* out)
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    // A 32-bit millisecond count, wrapping as the system's tick count does.
    uint32_t ms = (uint32_t)((uint64_t)ts.tv_sec * 1000u + (uint64_t)ts.tv_nsec / 1000000u);
    out->SetReal(ms * 0.001);
    return 0;
}

StatusWord BuiltinClock(CValue* out)
{
    out->SetReal((double)std::time(nullptr));
    return 0;
}

StatusWord BuiltinClock6(CValue* out)
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    time_t secs = ts.tv_sec;
    tm local{};
    localtime_r(&secs, &local);
    const double parts[6] = {
        local.tm_year + 1900.0, local.tm_mon + 1.0, (double)local.tm_mday, (double)local.tm_hour,
        (double)local.tm_min, local.tm_sec + (ts.tv_nsec / 1000000) * 0.001,
    };
    CValue r;
    CValueMatrix& m = r.MakeMatrix(1, 6);
    if (m.Cols() != 6) return ERR_INTERNAL;
    for (int i = 0; i < 6; ++i) m.Cell(0, i).SetReal(parts[i]);
    out->Swap(r);
    return 0;
}
