// The posix backend's held streams (Backend.h's OpenHeldStream): a glibc
// fopencookie stream that appends what it is given to a string, translated
// as a text stream on a host file translates it, and moves on into a host
// file once the string would pass its limit.
#ifndef ORVANE_OS_POSIX_HELDSTREAM_H_
#define ORVANE_OS_POSIX_HELDSTREAM_H_

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "orvane/os/Backend.h"

namespace orvane::os::posix {

FILE* OpenHeldStream(const char* mode, std::shared_ptr<backend::HeldBytes> held, size_t limit,
                     std::function<std::string()> newSpillPath);

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_HELDSTREAM_H_
