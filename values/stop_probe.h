#pragma once
// The stop request of the program that runs on this thread, for long work in
// the value core and in built-ins that are called without a program context
// (reading a huge line, a long LAPACK call).
#include <atomic>
#include <cstdint>

// Set by the program thread when it starts; null on other threads.
void SetThreadStopFlag(const std::atomic<uint8_t>* flag);
// True once a stop was asked of this thread's program.
bool ThreadStopRequested();
// The flag itself (null when none), for work handed to another thread.
const std::atomic<uint8_t>* ThreadStopFlag();

// A device thread that works through a program's long request sees the
// program's stop by this count, which grows each time a program tells its
// devices that it stops.
void NoteProgramStopBroadcast();
uint64_t ProgramStopBroadcasts();
