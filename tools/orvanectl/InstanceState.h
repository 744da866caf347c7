// What the machine says of an instance beyond its record: whether it was
// created, its Windows service's start type, whether it runs, and whether its
// database's ODBC data source is registered.
//
// The instance's service is "TQ" followed by its name and its server
// controller's TCP service entry "tq" followed by its name, as the library
// documents them; either one there means the instance was created (and its
// name is in use on the machine).
#ifndef ORVANECTL_INSTANCESTATE_H_
#define ORVANECTL_INSTANCESTATE_H_

#include <orvane/orvane.h>

#include <nlohmann/json.hpp>

#include <string>

namespace orvanectl {

// The web server's Windows service.
inline constexpr char kWebServerService[] = "BrenloQuentaGoWebserver";

struct InstanceState {
  bool created = false;
  std::string startType;  // "automatic", "demand", "disabled", or "" without a service
  bool running = false;
  bool database = false;  // the data source of its database is registered
};

InstanceState QueryInstanceState(MSInfo& record);

// The start type of a Windows service as InstanceState names it; "" when
// there is no such service.
std::string ServiceStartType(const std::string& service);

// The instance's Windows service name.
std::string InstanceServiceName(const std::string& name);
std::string InstanceServiceName(const MSInfo& record);

nlohmann::json StateJson(const InstanceState& state);

}  // namespace orvanectl

#endif  // ORVANECTL_INSTANCESTATE_H_
