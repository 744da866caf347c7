// Running database command files under the Velq command environment.
//
// The library never talks to the database: it writes small command files,
// has the outside program "velqcmd" run them, and learns that a run is over
// from a marker directory that the run's last line makes. It waits for the
// marker in one-second polls on the machine's clock, at most 600 of them.
#ifndef ORVANE_DATABASE_SCRIPTRUNNER_H_
#define ORVANE_DATABASE_SCRIPTRUNNER_H_

#include <cstdio>
#include <initializer_list>
#include <string>

#include "orvane/core/KelString.h"
#include "orvane/export.h"

class MSInfo;

// Runs commandLine under the Velq command environment in workDir and waits
// for it: a wrapper workDir\dbmaster.cmd calls commandLine and then makes
// the marker <root>\logs\~<database>.tmp; the marker and the wrapper are
// removed afterwards. With progressSteps > 0 each poll reports the progress
// 100 * seconds waited / progressSteps. Message 13 when the wrapper cannot
// be written, or when commandLine holds a line end, the database name is not
// a database word or the marker cannot stand in double quotes (0). The run is
// a step of the machine's database set-up (SetupStep): 0 without the
// installation or the step's lock. 1 when the command environment was
// started; the outcome of the script itself is not known here.
ORVANE_API int KelMigrateDB(const char* commandLine, MSInfo& info, const char* workDir,
                            int progressSteps);

namespace orvane {

// How a run went, as far as the library can tell.
enum class ScriptRun {
  kNotStarted,  // no wrapper, or the command environment did not start
  kFinished,    // the marker appeared
  kTimedOut,    // the marker did not appear within the 600 polls
};

// The script runner of KelMigrateDB, telling a time-out from a finished run.
ScriptRun RunVelqScript(const char* commandLine, const MSInfo& info, const char* workDir,
                        int progressSteps);

// Starts "velqcmd \"<commandFile>\"" in workDir and waits for the marker
// directory; removes the marker. The lower half of every run.
ScriptRun StartAndAwaitMarker(const KelString& commandFile, const KelString& workDir,
                              const KelString& marker, int progressSteps);

// A command file written for one run and removed when it goes. It is created
// new (an older file or link of the name is removed first, so nothing is
// written through a planted link); a private one gets mode 0600 before
// anything is written, for files that hold a clear password.
class CommandFile {
 public:
  CommandFile(const KelString& path, bool isPrivate);
  ~CommandFile();
  CommandFile(const CommandFile&) = delete;
  CommandFile& operator=(const CommandFile&) = delete;

  // Null when the file could not be created.
  FILE* stream() const { return m_stream; }
  const KelString& path() const { return m_path; }
  // Closes the stream; false when anything written did not reach the file.
  bool Close();

 private:
  KelString m_path;
  FILE* m_stream = nullptr;
};

// True when none of the texts holds a line end: a text that goes into a
// command file must not add commands of its own.
bool AreSingleLines(std::initializer_list<const char*> texts);

// The instance's log directory, <root>\logs.
KelString LogDirectory(const MSInfo& info);

}  // namespace orvane

#endif  // ORVANE_DATABASE_SCRIPTRUNNER_H_
