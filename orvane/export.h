// Export macros of the orvane library.
//
// ORVANE_API marks a decorated C++ export: a class, an overloaded function or a
// function taking the library's own types. ORVANE_C_API marks a plain export
// whose name appears undecorated in the library's export table, for callers
// that look functions up by name.
//
// The library is built with hidden visibility, so nothing without one of these
// marks leaves the shared library. ORVANE_STATIC is set for code that links the
// library's static archive (the tests), where nothing is imported.
#ifndef ORVANE_EXPORT_H_
#define ORVANE_EXPORT_H_

#if defined(_WIN32)
#if defined(ORVANE_BUILDING)
#define ORVANE_API __declspec(dllexport)
#elif defined(ORVANE_STATIC)
#define ORVANE_API
#else
#define ORVANE_API __declspec(dllimport)
#endif
#else
#define ORVANE_API __attribute__((visibility("default")))
#endif

#define ORVANE_C_API extern "C" ORVANE_API

#endif  // ORVANE_EXPORT_H_
