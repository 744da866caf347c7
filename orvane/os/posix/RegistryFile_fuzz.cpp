// Feeds arbitrary bytes to the registry file parser; whatever parses must
// write out and parse back to the same tree, and the writer's output must be
// stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "orvane/os/posix/RegistryFile.h"

using orvane::os::posix::ParseRegistryText;
using orvane::os::posix::RegistryNode;
using orvane::os::posix::WriteRegistryText;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  RegistryNode tree;
  std::string error;
  if (!ParseRegistryText(text, "fuzz.reg", &tree, &error)) {
    if (error.rfind("fuzz.reg:", 0) != 0) std::abort();
    return 0;
  }
  std::string written = WriteRegistryText(tree);
  RegistryNode reread;
  if (!ParseRegistryText(written, "written.reg", &reread, &error)) std::abort();
  if (reread != tree) std::abort();
  if (WriteRegistryText(reread) != written) std::abort();
  return 0;
}
