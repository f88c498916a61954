#pragma once
// Error hook of the mathematics library. On Linux no C-library hook calls it:
// the elementary functions test their own domains.

// Writes text as one error message; length travels with the text and is not
// written. Returns 0.
int ReportMathLibraryError(const char* text, int length);
