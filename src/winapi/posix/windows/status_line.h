// The copy's progress on a terminal: while the wait cursor is set and stderr is a terminal,
// one line on stderr with the files and bytes written so far and the file being written.
#pragma once

#include <cstdint>

namespace cdinst::posix {

void StartStatusLine();  // the wait cursor is set
void StopStatusLine();   // the cursor is back: the line is cleared
void HideStatusLine();   // a box is about to be drawn; the line comes back at the next write

// Cheap when no line is shown: one test.
void NoteFileCreated(const char* path);
void NoteBytesWritten(uint64_t count);

}  // namespace cdinst::posix
