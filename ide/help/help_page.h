#pragma once
// The IDE's help page (Hlp/Veldra.html): the help contexts as sections and
// every statement keyword and built-in function under an id of its own name,
// which keyword help (F1 in the editor) jumps to.
#include <string>

std::string BuildHelpPage();
