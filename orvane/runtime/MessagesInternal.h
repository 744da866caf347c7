// Internal pieces of the message functions, for the library and its tests.
#ifndef ORVANE_RUNTIME_MESSAGESINTERNAL_H_
#define ORVANE_RUNTIME_MESSAGESINTERNAL_H_

#include "orvane/core/KelString.h"

namespace orvane {

// Copies text with its placeholders replaced, as KelLoadMessage describes; a
// percent sign that ends the text is dropped.
KelString SubstitutePlaceholders(const char* text, const char* arg1, const char* arg2);

// Returns the stage total and the current stage to 0. The library itself
// never does this: the counters live as long as the library is loaded.
void ResetStageCounters();

}  // namespace orvane

#endif  // ORVANE_RUNTIME_MESSAGESINTERNAL_H_
