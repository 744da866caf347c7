#include "orvane/database/SetupStep.h"

#include <string>

#include "orvane/os/Files.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

constexpr unsigned int kCannotAccess = 24;
constexpr char kLockFile[] = "dbsetup.lock";
// The message table has no text for a wait on another program.
constexpr char kWaitingStatus[] =
    "Waiting for another database set-up on this machine to finish...";

// The command files that hold a password in clear or enciphered.
void RemoveSecretCommandFiles(const KelString& installation) {
  os::DeleteFile(std::string(SetupFolder(installation) ^ "velqconfig.bat"));
  os::DeleteFile(std::string(SchemaDirectory(installation) ^ "dbmaster.cmd"));
}

}  // namespace

KelString SetupFolder(const KelString& installation) { return installation ^ "server\\admin"; }

KelString SchemaDirectory(const KelString& installation) {
  return installation ^ "tq_schema\\VELQ";
}

KelString IncompleteSchemaMarker(const KelString& installation, const char* database) {
  KelString name(database);
  name.ToUpper();
  return SetupFolder(installation) ^ (name + ".incomplete");
}

SetupStep::SetupStep(const KelString& installation) {
  const KelString folder = SetupFolder(installation);
  const std::string lockPath(folder ^ kLockFile);
  m_lock.emplace(lockPath, os::LockWait::kFailIfHeld);
  if (m_lock->status().code() == os::kLockViolation) {
    if (pfnUpdate != nullptr) pfnUpdate(kWaitingStatus);
    m_lock.reset();
    m_lock.emplace(lockPath);
  }
  if (!m_lock->status().ok()) {
    m_lock.reset();
    KelShowError(kCannotAccess, folder);
    return;
  }
  RemoveSecretCommandFiles(installation);
}

}  // namespace orvane
