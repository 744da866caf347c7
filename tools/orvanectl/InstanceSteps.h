// The steps of the instance lifecycle on an instance data file that the
// caller has open (and locked, for the steps that store it). The commands
// (create, delete, webconf, db create, start, stop) are each one of them;
// apply runs several in a row under one lock, which a second lock in the
// same process would wait on for ever.
//
// Each step reports what it did into the host's result and says what went
// wrong; the return value is an exit code (ExitCode) or a success flag.
#ifndef ORVANECTL_INSTANCESTEPS_H_
#define ORVANECTL_INSTANCESTEPS_H_

#include <orvane/orvane.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "InstanceData.h"

namespace orvanectl {

// LifecycleCommands.cpp

// Creates each named instance (a running one is stopped by creation and
// left stopped unless restart), merges what creation changed in its record
// and stores the list. Goes on after a failure; the code of the worst.
int CreateInstances(InstanceData& data, const std::vector<std::string>& names, bool restart);

struct Deletion {
  std::string name;
  bool keepRecord = false;
  bool purge = false;
  bool yes = false;
  // false: the caller configures the web server afterwards (a note beside
  // the data file says it is pending until then).
  bool configureWebServer = true;
};

// Unregisters the instance, drops its record (and with purge its database),
// stores the list, and configures the web server for the instances left.
int DeleteInstance(InstanceData& data, const Deletion& deletion);

// Configures the web server for every instance of the list; this finishes
// a deletion that stopped before it.
int ConfigureWebServerFor(InstanceData& data);

// Creates the database of one instance and registers its data source.
int CreateDatabaseOf(MSInfo& record);

// ServiceCommands.cpp

enum class ServiceAction { kStart, kStop, kRestart };

// Starts, stops or restarts a created instance's service and checks the
// state it asked for; running[name] says whether it runs afterwards.
bool ControlInstance(MSInfo& record, ServiceAction action, nlohmann::json& running);

}  // namespace orvanectl

#endif  // ORVANECTL_INSTANCESTEPS_H_
