#include "portset/PortSwitch.h"

#include <cstdio>

#include "orvane/os/Status.h"
#include "portset/EditBuffer.h"

namespace orvane {

namespace {

int ReportFailure(const PortSwitch& portSwitch, const char* action, const std::string& path,
                  const os::Status& status) {
  std::fprintf(stderr, "%s: cannot %s %s (error %lu)\n", portSwitch.programName, action,
               path.c_str(), status.code());
  return 1;
}

}  // namespace

int SwitchPort(const PortSwitch& portSwitch, const std::string& path) {
  os::Expected<EditBuffer> buffer = EditBuffer::Load(path);
  if (!buffer) return ReportFailure(portSwitch, "read", path, buffer.status());

  if (buffer->FindWholeWord(portSwitch.searched) == EditBuffer::kNotFound) return 0;
  buffer->ReplaceSelection(portSwitch.replacement);

  const os::Status saved = buffer->Save(path);
  if (!saved) return ReportFailure(portSwitch, "save", path, saved);
  return 0;
}

}  // namespace orvane
