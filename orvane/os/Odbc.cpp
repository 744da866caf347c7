// The public ODBC installer call: it reaches the active layer when there is
// one, else the backend.
#include "orvane/os/Odbc.h"

#include "orvane/os/Backend.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {

Status ConfigureDataSource(DataSourceRequest request, const std::string& driver,
                           const char* attributes) {
  if (SeamLayer* layer = ActiveSeamLayer()) {
    return layer->ConfigureDataSource(request, driver, attributes);
  }
  return backend::ConfigureDataSource(request, driver, attributes);
}

}  // namespace orvane::os
