// The public services database look-up: through the active layer when there
// is one (it sees a pending services file), else the backend's.
#include "orvane/os/Network.h"

#include "orvane/os/Backend.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {

Expected<ServiceEntry> LookupServiceByPort(int port, const std::string& protocol) {
  if (SeamLayer* layer = ActiveSeamLayer()) return layer->LookupServiceByPort(port, protocol);
  return backend::LookupServiceByPort(port, protocol);
}

}  // namespace orvane::os
