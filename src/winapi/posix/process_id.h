// The id of this process, asked of the kernel once (glibc does not keep it).
#pragma once

#include <sys/types.h>

namespace cdinst::posix {

// getpid(), kept between calls; a child made by fork() asks afresh.
pid_t ProcessId();

}  // namespace cdinst::posix
