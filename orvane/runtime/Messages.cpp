#include "orvane/runtime/Messages.h"

#include <string>

#include "orvane/os/MessageBox.h"
#include "orvane/runtime/MessageTable.h"
#include "orvane/runtime/MessagesInternal.h"

extern "C" {
int bCgiApp = 0;
KelTextCallback pfnError = nullptr;
KelTextCallback pfnInfo = nullptr;
KelTextCallback pfnUpdate = nullptr;
KelProgressCallback pfnProgress = nullptr;
}

namespace {

constexpr char kInternalErrorText[] = "Internal Error!";
constexpr char kInformationTitle[] = "Tessaly";

int g_stageTotal = 0;
int g_currentStage = 0;

// The text that the display functions show for message id.
KelString TextForDisplay(unsigned int id, const char* arg1, const char* arg2) {
  KelString text;
  if (!KelLoadMessage(text, id, arg1, arg2)) text = kInternalErrorText;
  return text;
}

// Errors and informational messages share one route: the library's own box
// until a host takes over display, then only the host's callback.
void Display(const KelString& text, KelTextCallback hostCallback, const char* boxTitle,
             orvane::os::MessageBoxIcon icon) {
  if (bCgiApp == 0) {
    orvane::os::ShowMessageBox(boxTitle, text, icon);
  } else if (hostCallback != nullptr) {
    hostCallback(text);
  }
}

}  // namespace

namespace orvane {

KelString SubstitutePlaceholders(const char* text, const char* arg1, const char* arg2) {
  // Built aside, so that an argument may be the very string the result is
  // assigned to.
  std::string result;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p != '%') {
      result += *p;
      continue;
    }
    const char selector = *++p;
    if (selector == '\0') break;  // a trailing percent sign is dropped
    if (selector == '1' && arg1 != nullptr) result += arg1;
    if (selector == '2' && arg2 != nullptr) result += arg2;
    if (selector == '%') result += '%';
  }
  return KelString(result.c_str());
}

void ResetStageCounters() {
  g_stageTotal = 0;
  g_currentStage = 0;
}

}  // namespace orvane

int KelLoadMessage(KelString& out, unsigned int id, const char* arg1, const char* arg2) {
  const char* text = orvane::FindMessageText(id);
  if (text == nullptr || *text == '\0') return 0;
  out = orvane::SubstitutePlaceholders(text, arg1, arg2);
  return 1;
}

void KelShowError(unsigned int id, const char* arg1, const char* arg2) {
  Display(TextForDisplay(id, arg1, arg2), pfnError, nullptr, orvane::os::MessageBoxIcon::kError);
}

void KelShowMessage(unsigned int id, const char* arg1, const char* arg2) {
  Display(TextForDisplay(id, arg1, arg2), pfnInfo, kInformationTitle,
          orvane::os::MessageBoxIcon::kInformation);
}

void KelUpdateStatus(unsigned int id, const char* arg1, const char* arg2) {
  if (pfnUpdate == nullptr) return;
  pfnUpdate(TextForDisplay(id, arg1, arg2));
}

void KelShowProgress(int percent) {
  if (pfnProgress == nullptr) return;
  int shown = percent > 100 ? 100 : percent;
  if (g_stageTotal > 0) {
    const int share = 100 / g_stageTotal;
    // Widened so that a wildly negative percent cannot overflow; the result
    // always fits an int again.
    shown = static_cast<int>(static_cast<long long>(share) * g_currentStage +
                             static_cast<long long>(share) * shown / 100);
  }
  pfnProgress(shown);
}

void KelAddStage(int n) { g_stageTotal += n; }

void KelIncCurStage() {
  if (g_currentStage < g_stageTotal) ++g_currentStage;
}
