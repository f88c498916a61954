#pragma once
// Runs a command with an argument vector (never through a shell).
#include <functional>
#include <string>
#include <vector>

// With `wait`, the exit status (127 when it could not start); without, 0 once
// it started.
int AfxSpawn(const std::vector<std::string>& argv, bool wait);
// Starts it without waiting; `done` gets its exit status (127 when it was
// killed) on another thread once it ends. False when it could not start.
bool AfxSpawnThen(const std::vector<std::string>& argv, std::function<void(int status)> done);
// Runs to the end and returns its standard output (empty when it failed).
std::string AfxSpawnOutput(const std::vector<std::string>& argv);
// Whether a command is found on PATH.
bool AfxCommandExists(const std::string& name);
