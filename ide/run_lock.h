#pragma once
// One program runs at a time in the IDE: a program thread takes this lock
// at the start of its run and holds it to the end, breaks included.
class CProgram;

// Waits for the lock or for a stop of the program; true when taken.
bool AcquireRunLock(CProgram* program);
void ReleaseRunLock();
// Whether some program holds the lock (tests).
bool RunLockHeld();
// The program that holds it, null when none.
CProgram* RunLockHolder();
