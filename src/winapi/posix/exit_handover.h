// Closing an inotify instance that still watches something makes the closing process wait for
// the kernel to free the watches (a grace period of the kernel's own, often 5 to 40 ms), and a
// process closes its instances as it exits. So at exit a short-lived child takes the instances
// over and waits instead, once it has closed everything else it inherited: whoever waits for
// the program, a menu or a test, is not held up.
#pragma once

namespace cdinst::posix {

// Hands `fd`, an inotify instance open until the process ends, over at exit.
void HandOverAtExit(int fd);

}  // namespace cdinst::posix
