// The public Startup folder calls: they reach the active layer when there is
// one, else the backend.
#include "orvane/os/Shell.h"

#include "orvane/os/Backend.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {

Expected<std::vector<std::string>> ListStartupItems() {
  if (SeamLayer* layer = ActiveSeamLayer()) return layer->ListStartupItems();
  return backend::ListStartupItems();
}

Status DeleteStartupItem(const std::string& displayName) {
  if (SeamLayer* layer = ActiveSeamLayer()) return layer->DeleteStartupItem(displayName);
  return backend::DeleteStartupItem(displayName);
}

}  // namespace orvane::os
