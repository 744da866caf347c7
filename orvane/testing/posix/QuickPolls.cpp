// Quick polls on the emulated machine: nothing to do, its clock is virtual.
#include "orvane/testing/QuickPolls.h"

namespace orvane::test {

QuickPolls::QuickPolls() = default;
QuickPolls::~QuickPolls() = default;

bool QuickPolls::Active() { return false; }

}  // namespace orvane::test
