#include "orvane/database/ScriptRunner.h"

#include <cstring>

#include "orvane/core/CommandValues.h"
#include "orvane/core/MSInfo.h"
#include "orvane/database/SetupStep.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/Processes.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

// A script that has not made its marker after ten minutes is not waited for.
constexpr int kMaxPolls = 600;
constexpr int kPrivateMode = 0600;

bool MarkerExists(const KelString& marker) { return os::DirectoryExists(std::string(marker)); }

}  // namespace

bool AreSingleLines(std::initializer_list<const char*> texts) {
  for (const char* text : texts) {
    if (text != nullptr && std::strpbrk(text, "\r\n") != nullptr) return false;
  }
  return true;
}

KelString LogDirectory(const MSInfo& info) { return KelString(info.GetRootPath()) ^ "logs"; }

CommandFile::CommandFile(const KelString& path, bool isPrivate) : m_path(path) {
  const std::string file(path);
  os::DeleteFile(file);
  m_stream = os::OpenFile(file, "wx", isPrivate ? kPrivateMode : 0666);
  if (m_stream != nullptr) SetFileOwner(file.c_str(), nullptr);
}

CommandFile::~CommandFile() {
  Close();
  os::DeleteFile(std::string(m_path));
}

bool CommandFile::Close() {
  if (m_stream == nullptr) return false;
  const bool written = std::ferror(m_stream) == 0;
  const bool closed = std::fclose(m_stream) == 0;
  m_stream = nullptr;
  return written && closed;
}

ScriptRun StartAndAwaitMarker(const KelString& commandFile, const KelString& workDir,
                              const KelString& marker, int progressSteps) {
  // A marker left by a run that was cut short would end the wait at once.
  os::RemoveDirectory(std::string(marker));
  // The command environment hands its command line to the interpreter: the
  // file's path goes in double quotes.
  const KelString commandLine = KelString("velqcmd ") + InQuotes(commandFile).c_str();
  if (!KelExecCmd(commandLine, workDir)) return ScriptRun::kNotStarted;
  for (int waited = 0; waited < kMaxPolls && !MarkerExists(marker); ++waited) {
    if (progressSteps > 0) KelShowProgress(100 * waited / progressSteps);
    SleepSeconds(1);
  }
  const bool finished = MarkerExists(marker);
  os::RemoveDirectory(std::string(marker));
  return finished ? ScriptRun::kFinished : ScriptRun::kTimedOut;
}

ScriptRun RunVelqScript(const char* commandLine, const MSInfo& info, const char* workDir,
                        int progressSteps) {
  const KelString marker = LogDirectory(info) ^ (KelString("~") + info.GetDBName() + ".tmp");
  // A record from an older file may hold what its rules refuse today.
  if (!AreSingleLines({commandLine}) || !IsDatabaseWord(info.GetDBName()) ||
      !IsQuotableText(marker)) {
    KelShowError(13);
    return ScriptRun::kNotStarted;
  }
  CommandFile wrapper(KelString(workDir) ^ "dbmaster.cmd", false);
  if (FILE* out = wrapper.stream()) {
    std::fprintf(out, "@call %s\n", commandLine);
    std::fprintf(out, "@mkdir %s\n", InQuotes(marker).c_str());
    std::fprintf(out, "@exit\n");
  }
  if (!wrapper.Close()) {
    KelShowError(13);
    return ScriptRun::kNotStarted;
  }
  return StartAndAwaitMarker(wrapper.path(), workDir, marker, progressSteps);
}

}  // namespace orvane

int KelMigrateDB(const char* commandLine, MSInfo& info, const char* workDir, int progressSteps) {
  if (commandLine == nullptr || workDir == nullptr) return 0;
  KelString installation;
  if (!orvane::GetTQInstallPath(installation, orvane::kCurrentProductVersion)) return 0;
  const orvane::SetupStep step(installation);
  if (!step.ok()) return 0;
  return orvane::RunVelqScript(commandLine, info, workDir, progressSteps) !=
                 orvane::ScriptRun::kNotStarted
             ? 1
             : 0;
}
