#include "values/math_errors.h"

#include "values/output_stream.h"

int ReportMathLibraryError(const char* text, int length)
{
    (void)length;
    ReportError() << (text ? text : "");
    return 0;
}
