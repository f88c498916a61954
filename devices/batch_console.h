#pragma once
// The console of a batch run: lines of standard input for the input statement.
#include <functional>
#include <string>

enum class StdinLine { Read, EndOfInput, Stopped };

// Reads the next line of standard input without its LF or CR LF; a last line
// without a line end counts. Waits in short slices and asks stopRequested
// before each, so a stop ends the wait. Lines read ahead are kept for the
// next call.
StdinLine ReadStandardInputLine(std::string& line, const std::function<bool()>& stopRequested);
