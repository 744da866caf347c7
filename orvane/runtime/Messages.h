// Messages, status lines and progress: how the library speaks to its host.
//
// Every user-visible text comes from the library's message table, by id, with
// up to two insertions "%1" and "%2". The host sets the variables below before
// it calls anything else. With bCgiApp 0 errors and informational messages
// appear in the library's own message box; otherwise they go only to pfnError
// and pfnInfo. Status lines and progress go to pfnUpdate and pfnProgress
// whenever those are set. Texts handed to a callback are valid only during the
// call.
//
// Long operations announce their stages with KelAddStage and advance with
// KelIncCurStage; KelShowProgress scales a percentage into the current stage.
#ifndef ORVANE_RUNTIME_MESSAGES_H_
#define ORVANE_RUNTIME_MESSAGES_H_

#include "orvane/core/KelString.h"
#include "orvane/export.h"

extern "C" {
typedef void (*KelTextCallback)(const char* text);
typedef void (*KelProgressCallback)(int percent);
}

// Non-zero: the host displays errors and informational messages itself.
ORVANE_C_API int bCgiApp;
ORVANE_C_API KelTextCallback pfnError;
ORVANE_C_API KelTextCallback pfnInfo;
ORVANE_C_API KelTextCallback pfnUpdate;
ORVANE_C_API KelProgressCallback pfnProgress;

// Loads message id and substitutes the placeholders into out: "%1" takes
// arg1, "%2" arg2 (a null argument inserts nothing), "%%" a percent sign, and
// a percent sign with any other character inserts nothing. Returns 1, or 0
// with out unchanged when the table has no text for id.
ORVANE_API int KelLoadMessage(KelString& out, unsigned int id, const char* arg1 = nullptr,
                              const char* arg2 = nullptr);

// Shows message id as an error: in the message box (error icon, the system's
// default title) while bCgiApp is 0, else through pfnError when it is set.
// An id without text shows "Internal Error!".
ORVANE_C_API void KelShowError(unsigned int id, const char* arg1 = nullptr,
                               const char* arg2 = nullptr);
// As KelShowError for an informational message: a box titled "Tessaly" with
// an information icon, or pfnInfo.
ORVANE_C_API void KelShowMessage(unsigned int id, const char* arg1 = nullptr,
                                 const char* arg2 = nullptr);
// Hands message id to pfnUpdate as a status line; nothing at all (not even
// the look-up) happens when pfnUpdate is null.
ORVANE_C_API void KelUpdateStatus(unsigned int id, const char* arg1 = nullptr,
                                  const char* arg2 = nullptr);

// Hands percent (at most 100) to pfnProgress, scaled into the current stage
// when stages were announced: with T stages, share = 100 / T and the result
// is share * current stage + share * percent / 100.
ORVANE_C_API void KelShowProgress(int percent);
// Adds n to the stage total.
ORVANE_C_API void KelAddStage(int n);
// Advances the current stage by one while it is below the stage total.
ORVANE_C_API void KelIncCurStage();

#endif  // ORVANE_RUNTIME_MESSAGES_H_
