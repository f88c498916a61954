#pragma once
// Whole-file reads and atomic writes (document.cpp): documents and the
// settings file save through them.
#include <functional>
#include <string>

// Writes the bytes to the path atomically; false (errno set) on failure.
bool AfxWriteFileAtomically(const std::string& path, const std::string& bytes);
// The same with the bytes written by `write` into the temporary file's
// descriptor (a large file need not be made in memory first); false from it
// fails the whole write.
bool AfxWriteFileAtomically(const std::string& path, const std::function<bool(int fd)>& write);
// Reads a whole file; false (errno set) on failure.
bool AfxReadWholeFile(const std::string& path, std::string& bytes);
