#pragma once
// Dynamic libraries and the program's own path.
#include "platform/types.h"
#include <string>

// dlopen(RTLD_NOW | RTLD_LOCAL). On failure: null, ERROR_MOD_NOT_FOUND, and the
// loader's text in GetLibraryErrorText. A path with a "/" must name a file that
// IsLoadableLibraryFile accepts.
HMODULE LoadLibrary(const char* path);
// A regular file (never a FIFO or device) holding a 64-bit ELF header whose
// program headers and loaded segments lie inside the file: the dynamic loader
// would hang on a FIFO and fault on a truncated library.
bool IsLoadableLibraryFile(const char* path);
BOOL FreeLibrary(HMODULE module);
void* GetProcAddress(HMODULE module, const char* name);
const char* GetLibraryErrorText();

// The file of a loaded library, or of the program for a null module. Returns
// the length copied; a short buffer gets a truncated, terminated text and
// ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileName(HMODULE module, char* buffer, DWORD size);

// The program's file (from /proc/self/exe) and its folder, without a trailing "/".
std::string GetProgramPath();
std::string GetProgramFolder();
