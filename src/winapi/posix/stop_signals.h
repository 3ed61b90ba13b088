// Ctrl-C, SIGTERM and SIGHUP stop a run the way a failed copy stops it: from the signal on,
// every read and write of file data fails, so the copy ends at its next block and takes back
// what it made, and the process then ends with 128 + the signal's number instead of its own
// exit code. A second signal ends the process at once, whatever it is doing.
#pragma once

namespace cdinst::posix {

// Installs the handlers for this process, and ignores SIGXFSZ, so that a file-size limit
// makes the write fail as a full disk does instead of killing the process part way.
void CatchStopSignals();

// The signal that asked the process to stop; 0 while none did.
int StopSignal();

// Waits until `fd` has input to read: true then, false as soon as a stop signal came, also one
// that came just before the wait began.
bool WaitForInputUnlessStopped(int fd);

// When a signal asked the process to stop: says so in one line on stderr and ends the process
// with 128 + its number. Otherwise returns.
void EndIfStopped();

}  // namespace cdinst::posix
