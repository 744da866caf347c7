// The one door to the Windows SDK: every file of the win32 backend includes
// the system headers through this one, and no header of the seam includes it.
//
// Several Win32 functions are macros that pick their ANSI or wide form
// (CopyFile stands for CopyFileA or CopyFileW). The seam gives its own
// functions some of those names, so the macros are removed here, and the
// backend calls the ANSI forms by their full names (::CopyFileA).
#ifndef ORVANE_OS_WIN32_WINDOWSAPI_H_
#define ORVANE_OS_WIN32_WINDOWSAPI_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

// winsock2.h before windows.h, or windows.h brings in the old winsock.h.
#include <winsock2.h>
#include <windows.h>

#include <lm.h>
#include <odbcinst.h>
#include <shellapi.h>
#include <shlobj.h>

#undef CopyFile
#undef CreateDirectory
#undef CreateService
#undef DeleteFile
#undef MoveFile
#undef OpenService
#undef RemoveDirectory
#undef SetEnvironmentVariable

#endif  // ORVANE_OS_WIN32_WINDOWSAPI_H_
