// The database scripts that ship with the store server, as samples that run
// in the emulated command environment: the store schema, the hosting
// edition's data (and its migration from an earlier level) and the text
// search extension. Each command file writes its log as the real one does:
// the command line's output, errors included.
//
//   schema.cmd DB N|S "ENCIPHERED-PASSWORD" LOG
//   jqdata.cmd DB LOG OWNER PASSWORD        (jq3122migrate.cmd the same)
//   searchext.cmd DB LOG OWNER PASSWORD
#ifndef TOOLS_VELQSIM_SAMPLESCRIPTS_H_
#define TOOLS_VELQSIM_SAMPLESCRIPTS_H_

#include <string>
#include <vector>

namespace velqsim {

struct SampleScript {
  const char* fileName;
  const char* text;  // lines end in "\n"; written as the machine's text files
};

const std::vector<SampleScript>& SampleScripts();

}  // namespace velqsim

#endif  // TOOLS_VELQSIM_SAMPLESCRIPTS_H_
