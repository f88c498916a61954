#pragma once
// Runs a program file without any window (veldra --run FILE.vdx).
#include <string>

enum BatchExit : int {
    BATCH_OK = 0,
    BATCH_RUN_ERROR = 1,           // an error message was written during the run
    BATCH_TRANSLATION_FAILED = 2,
    BATCH_NOT_STARTED = 3,         // unreadable file, bad arguments, no thread
};

int RunBatch(const std::string& file);
