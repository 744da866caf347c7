// --check and --diff: a changing command run under the OS seam's recording
// layer, its change set reported the way Ansible's check and diff modes
// report theirs ("changed", and the change set as data).
#ifndef ORVANECTL_PLANNEDRUN_H_
#define ORVANECTL_PLANNEDRUN_H_

#include <string>

#include "Commands.h"

namespace orvanectl {

// True for the commands that change the machine, which --check and --diff
// are for.
bool ChangesMachine(const std::string& commandName);

// Runs the chosen command under a recorder: with --check nothing on the
// machine changes and the change set is what the command would make; with
// --diff alone the command runs and the change set is what it made. The
// result carries "check", "changed" and "change_set"; people get one line
// per change (and the diffs with --diff). Returns the command's exit code.
int RunRecorded(Context& context);

// While one lives in a recorded command, a program that the command starts
// (sslkeys, the port switch tools) records for it through the seam's
// recording variable: what the program changes, or would change, joins the
// command's change set when the object goes. Nothing otherwise.
class ProgramRecording {
 public:
  ProgramRecording();
  ~ProgramRecording();
  ProgramRecording(const ProgramRecording&) = delete;
  ProgramRecording& operator=(const ProgramRecording&) = delete;

 private:
  std::string m_file;  // where the program saves its change set
};

}  // namespace orvanectl

#endif  // ORVANECTL_PLANNEDRUN_H_
