// The macro processor's initialisation file velqwww.ini in the instance
// directory: its language environments, the directories it searches for
// macros and for included files, and fixed Velq settings.
#ifndef ORVANE_CONFIG_MACROCONFIG_H_
#define ORVANE_CONFIG_MACROCONFIG_H_

#include "orvane/core/MSInfo.h"

namespace orvane {

// Completes the record's environment list with the nine standard
// environments (each unless its name is present) and its macro and include
// path lists with the standard directories (each unless present), then
// writes the file whole, keeping the previous one as velqwww.old.ini; the
// additions stay in the record, so a second write gives the same file. 1
// written; 0 with message 3 when the file cannot be written.
int WriteMacroConfig(MSInfo& info, const char* installDir);

}  // namespace orvane

#endif  // ORVANE_CONFIG_MACROCONFIG_H_
