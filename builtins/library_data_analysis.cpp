// The "Data Analysis" library. Its rows join with the transforms.
#include "builtins/libraries.h"

FuncLibrary DataAnalysisLibrary = {"Data Analysis", nullptr, 0, nullptr, 0};
