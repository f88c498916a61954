#pragma once
// The hidden run's state: a program opened from the shell runs with no
// visible window until an error shows the frame (the shell's EndHiddenRun).

// Set once at start-up.
bool IsHiddenRun();
void SetHiddenRun(bool on);
// Clears the state; whether it was on.
bool TakeHiddenRun();

// The show command the frame uses when it must become visible (SW_*).
int RecordedShowCommand();
void SetRecordedShowCommand(int cmd);
