#pragma once
// One program runs at a time in the IDE: a program thread takes this lock
// at the start of its run and holds it to the end, breaks included.
class CProgram;

// Waits for the lock or for a stop of the program; true when taken.
bool AcquireRunLock(CProgram* program);
// Gives the lock back when this program holds it. The stopper calls it too
// for a thread it abandoned, so other programs can run; the abandoned
// thread's own release at its real end then does nothing.
void ReleaseRunLock(CProgram* program);
// Whether some program holds the lock (tests).
bool RunLockHeld();
// The program that holds it, null when none.
CProgram* RunLockHolder();
// How many programs wait for it now.
int RunLockWaiters();
