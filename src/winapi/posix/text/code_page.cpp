// The emulated system's ANSI code page is Windows-1252, a single-byte one.
#include "winapi/winapi.h"

BOOL IsDBCSLeadByte(BYTE) { return FALSE; }
