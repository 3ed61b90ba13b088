// The program's string resources, shared by the Windows resource script and the
// POSIX emulation of LoadStringA.
#pragma once

#define IDS_APPLICATION_ERROR 1
#define IDS_APPLICATION_ERROR_TEXT "Application Error"
