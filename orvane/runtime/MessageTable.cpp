#include "orvane/runtime/MessageTable.h"

namespace orvane {
namespace {

struct MessageEntry {
  unsigned int id;
  const char* text;
};

// Id 75 has no text; the others run from 1 to 103.
constexpr MessageEntry kMessages[] = {
    {1, "Cannot create directory %1."},
    {2, "Error in creating password file for instance %1."},
    {3, "Cannot create configuration file %1."},
    {4, "Cannot find required VXR Kelvane Server."},
    {5, "Cannot find Tessaly installation parameters."},
    {6, "Cannot modify web server configuration file."},
    {7, "Cannot create temporary file."},
    {8, "Configuration data loading error."},
    {9, "No Tessaly instance found."},
    {10, "Tessaly instance definition error."},
    {11, "Creating database %1..."},
    {12, "Cannot create database command file."},
    {13, "Cannot create database creation script."},
    {14, "Cannot create database %1."},
    {15, "Cannot create Tessaly instance %1."},
    {16, "Tessaly configuration has been completed."},
    {17, "Tessaly internal error!"},
    {18, "Tessaly configuration program does not have superuser access."},
    {19, "Error in creating Tessaly instance %1."},
    {20, "Database creation is completed.  The log files are in %1."},
    {21, "The database user name is not valid."},
    {22, "NSAPI configuration file creation failed."},
    {23, "Cannot restart web server."},
    {24, "Cannot access directory %1."},
    {25, "Unable to  restart Quenta Go Webserver"},
    {26, "Cannot create file %1."},
    {27, "Error encountered in modifying VXR Kelvane Server configuration files."},
    {28, "Cannot access file %1."},
    {29, "Cannot find required Netscape Enterprise Server."},
    {30, "Unable to setup VXR VELQ client."},
    {31, "Cannot register %1 as an ODBC data source."},
    {32, "Unable to determine database existence for %1."},
    {33, "Cannot create service for Tessaly instance %1."},
    {34, "Starting Tessaly servers..."},
    {35, "Database %1 already exists."},
    {36, "Database %1 is available from the remote server %2."},
    {37, "Database %1 must be manually configured."},
    {38, "Preparing database for Tessaly instance %1..."},
    {39, " "},
    {40, "Importing data into database %1..."},
    {41, "Cannot delete service for Tessaly instance %1."},
    {42, "Tessaly servers for instance %1 started successfully."},
    {43, "Tessaly servers for instance %1 stopped successfully."},
    {44, "Cannot start Tessaly servers for instance %1."},
    {45, "Cannot stop Tessaly servers for instance %1."},
    {46, "Tessaly servers for instance %1 are already active."},
    {47, "Tessaly servers for instance %1 are already inactive."},
    {48, "Do not edit this section"},
    {49, "Tessaly instance %1 has been deleted successfully."},
    {50, "Error in deleting Tessaly instance %1."},
    {51, "All changes in Tessaly instance configuration will be lost.  Do you want to continue?"},
    {52, "Cannot find configuration data file."},
    {53, "Cannot find Tessaly installation directory."},
    {54, "Tessaly instance %1 has been created successfully."},
    {55, " "},
    {56, " "},
    {57, "Cannot locate Tessaly uninstall log file."},
    {58, "Prepare to uninstall Tessaly..."},
    {59, "Prepare to uninstall program files..."},
    {60, "Are you sure you want to uninstall Tessaly?"},
    {61, "Tessaly Uninstallation"},
    {62, "Tessaly Configuration"},
    {63, "Startup"},
    {64, "OK"},
    {65, "Cancel"},
    {66, "Tessaly Server Manager"},
    {67,
     "Cannot start Netscape browser.  Please start the browser manually with page \"%1\" to "
     "continue."},
    {68, "The Tessaly instance name must be unique."},
    {69, "The web server host name must be unique."},
    {70, "The TCP/IP port range is in conflict with other TCP/IP service."},
    {71, "The IP address must be unique."},
    {72, "The HTML path must be unique."},
    {73, "Database alias"},
    {74, "Database owner must be a valid system user."},
    {76, "The selected port overlaps with the ports of an existing instance."},
    {77, "The database name must be unique for each instance"},
    {78, "Creating Web server configuration files ..."},
    {79, "Updating Web server configuration files ..."},
    {80, "The specified user must be a valid system user with Administrator privileges."},
    {81, "Modifying configuration file for instance %1"},
    {82, "Tessaly Hosting Server Configuration is completed."},
    {83, "Tessaly Hosting Server Configuration"},
    {84, "Creating and populating tax and shipping tables"},
    {85, "The hostname specified (%1) does not have a valid IP address."},
    {86,
     "Usage : tqqvbridge <instance name> <port number> <server name> <inbound queue name> "
     "<outbound queue name> <error queue name> <queue manager name> <bridge userid> "
     "<client/server> <channel name> <server port number>"},
    {87, "The selected port is already in use by another service or instance"},
    {88, "Could not find instance %1"},
    {89, "Migrating databases to most up-to-date level"},
    {90, "Oracle database %1 must be manually migrated"},
    {91, "Waiting for VELQ service to start"},
    {92, "Cannot start VELQ service.  Please try starting from the Service Manager"},
    {93, "Generating self signed SSL certificate for testing purposes..."},
    {94,
     "Cannot find database %1 to migrate.  Please use Configuration Manager to create the database "
     "%1."},
    {95, "Installing the JQ Sample Store ..."},
    {96, "Error installing the JQ Sample Store.  Please look in the log file : %1"},
    {97, "Preparing to uninstall Tessaly Hosting Server ..."},
    {98, "Tessaly Hosting Server Uninstallation"},
    {99, "Error making Tessaly Hosting Server additions to the database %1"},
    {100,
     "Corbelle configuration failed.  Please install the JQ component Corbelle and re-create the "
     "instance."},
    {101,
     "VELQ Text Extenders configuration failed.  Please install JQ component VELQ Text Extenders "
     "and re-create the instance."},
    {102, "already running"},
    {103,
     "Cannot install JQ sample stores because either Brenlo Go or Tessaly is not started.  Please "
     "start them and install the samples manually."},
};

}  // namespace

const char* FindMessageText(unsigned int id) {
  for (const MessageEntry& entry : kMessages) {
    if (entry.id == id) return entry.text;
  }
  return nullptr;
}

}  // namespace orvane
