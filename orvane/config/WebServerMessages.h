// Ids of the messages that the web server configuration reports.
#ifndef ORVANE_CONFIG_WEBSERVERMESSAGES_H_
#define ORVANE_CONFIG_WEBSERVERMESSAGES_H_

namespace orvane {

enum WebServerMessage : unsigned {
  kMsgPluginFileNotCreated = 3,
  kMsgNoWebServer = 4,
  kMsgNoInstallation = 5,
  kMsgWebServerFileRefused = 6,
  kMsgDataFileNotLoaded = 8,
  kMsgPluginConfigFailed = 22,
  kMsgRestartFailed = 25,
  kMsgFileNotWritable = 26,
  kMsgFileNotReadable = 28,
  kMsgDoNotEdit = 48,
  kMsgHostWithoutAddress = 85,
  kMsgNoApplicationServer = 100,
};

}  // namespace orvane

#endif  // ORVANE_CONFIG_WEBSERVERMESSAGES_H_
