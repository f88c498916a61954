#pragma once
// Small string and path helpers.
#include <string>

// Removes trailing white space in place.
void TrimString(std::string& text);

// The text after the last path separator ("\" or "/"); the whole path when it has none.
std::string GetFileNamePart(const std::string& path);

// In place: folds runs of separators ("\" or "/") into one and lets every "\.." part
// remove itself with the part before it, except at the start or after another "..".
void NormalizePath(std::string& path);

// Full file name of a loaded module (a handle from dlopen); null means the program
// itself. Empty when it cannot be had.
std::string GetModuleFilePath(void* module = nullptr);
