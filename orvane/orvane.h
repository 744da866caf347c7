// The orvane library: every exported class, function and variable.
//
// Consumers include this header, or a narrower one such as
// <orvane/core/KelString.h>.
#ifndef ORVANE_ORVANE_H_
#define ORVANE_ORVANE_H_

#include "orvane/export.h"
#include "orvane/core/KelString.h"
#include "orvane/core/ParmList.h"
#include "orvane/core/MSInfo.h"
#include "orvane/core/MSList.h"
#include "orvane/runtime/Cipher.h"
#include "orvane/runtime/Messages.h"
#include "orvane/platform/Accounts.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/InstanceService.h"
#include "orvane/platform/Processes.h"
#include "orvane/platform/ServicesFile.h"
#include "orvane/platform/WindowsServices.h"
#include "orvane/config/WebServerConfig.h"
#include "orvane/database/DatabaseQueries.h"
#include "orvane/database/DatabaseSetup.h"
#include "orvane/database/HostingData.h"
#include "orvane/database/ScriptRunner.h"
#include "orvane/lifecycle/InstanceCreation.h"
#include "orvane/lifecycle/InstanceDeletion.h"
#include "orvane/lifecycle/NetPerception.h"
#include "orvane/lifecycle/QueueBridge.h"

#endif  // ORVANE_ORVANE_H_
