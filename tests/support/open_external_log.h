#pragma once
// What the program asked xdg-open to show, recorded instead of shown: a hook
// installed when a test binary starts.
#include <string>
#include <vector>

// The targets opened since the last call.
std::vector<std::string> AfxTakeOpenExternalLog();
// (Re)installs the recording hook.
void InstallOpenExternalLog();
