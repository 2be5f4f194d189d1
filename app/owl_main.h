// The program's entry: the version, one instance, the command line, COM,
// the program-wide players, the application and the teardown.
#pragma once

// The process's exit code.
int OwlMain(int argc, char** argv);

// Another instance's project frame, brought to the front (restored when
// minimised); false when no other instance runs.
bool RaiseOtherInstance();

// The single-instance lock in the runtime folder: true when this process
// holds it now (held until ReleaseInstanceLock or the end of the process).
bool TakeInstanceLock();
void ReleaseInstanceLock();
