#pragma once
// The composition root of the program object's steps: the built-in libraries
// and their files, the console and plot statement groups and the function
// modules. A host (the IDE, the batch run, the help page writer) calls it once
// before its first program's Init; until then those steps do nothing.
void InstallProgramSteps();
