// Set-up of the personalization add-on for one instance.
#ifndef ORVANE_LIFECYCLE_NETPERCEPTION_H_
#define ORVANE_LIFECYCLE_NETPERCEPTION_H_

#include "orvane/core/MSInfo.h"
#include "orvane/export.h"

// Makes the instance's tessaly.ini know the personalization server - the
// lines "PERS_ENABLED NO", "GL_HOST <web server host>" and "GL_PORT 9000",
// each added only when no line has its keyword yet - and refreshes the ten
// product macros of the instance's template editor from the store's macro
// directory, keeping each previous copy as its backup. 0 with message 5 when
// the installation directory cannot be found, and 0 when tessaly.ini could
// not be rewritten (message 3 with its path: a key would be missing);
// otherwise 1. A tessaly.ini that is not there is left to its writer, which
// reported it; macros that cannot be copied are not reported.
ORVANE_C_API int KelNetPerceptionConfig(MSInfo& info);

#endif  // ORVANE_LIFECYCLE_NETPERCEPTION_H_
