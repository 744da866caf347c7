#include "orvane/lifecycle/QueueBridge.h"

#include <cstring>
#include <string>

#include "orvane/config/InstanceFiles.h"
#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"
#include "orvane/lifecycle/InstanceTcpServices.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/ServicesFile.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

constexpr unsigned int kMsgNoInstallation = 5;
constexpr int kHighestPort = 65535;

// The bridge's command-line elements by position.
enum BridgeArgument {
  kArgPort = 2,
  kArgInbound = 4,
  kArgOutbound = 5,
  kArgError = 6,
  kArgManager = 7,
  kArgBridgeUser = 8,
  kArgMode = 9,
};

char g_noArgument[] = "";

char* Argument(char** args, int count, int index) {
  return args != nullptr && index < count && args[index] != nullptr ? args[index] : g_noArgument;
}

}  // namespace

int ParseBridgePort(const char* text) {
  if (text == nullptr || *text == '\0' || std::strlen(text) > 5) return -1;
  int port = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return -1;
    port = port * 10 + (*c - '0');
  }
  return port >= 1 && port <= kHighestPort ? port : -1;
}

}  // namespace orvane

int KelCreateFixpackQVInit(MSInfo& info, char** args, int count) {
  KelString installDir;
  if (!orvane::GetTQInstallPath(installDir, orvane::kCurrentProductVersion)) {
    KelShowError(orvane::kMsgNoInstallation);
    return 0;
  }

  using orvane::Argument;
  const orvane::QueueSettings queues = {
      Argument(args, count, orvane::kArgInbound), Argument(args, count, orvane::kArgOutbound),
      Argument(args, count, orvane::kArgError), Argument(args, count, orvane::kArgManager),
      Argument(args, count, orvane::kArgBridgeUser)};
  orvane::WriteEceConfig(info, installDir, queues);

  // A port that is no port registers nothing rather than a garbled entry.
  const int port = orvane::ParseBridgePort(Argument(args, count, orvane::kArgPort));
  if (port > 0) {
    KelRegTcpService(orvane::BridgeTcpServiceName(info).c_str(), port, "ECE service");
  }

  orvane::AddControllerPoolServer(info, "tqei_ece");

  // The common library is replaced by its client or server variant.
  const KelString bin = installDir ^ "bin";
  const bool client = std::strcmp(Argument(args, count, orvane::kArgMode), "client") == 0;
  orvane::CopyFileOver(bin ^ (client ? "tq3_ececommonc.dll" : "tq3_ececommons.dll"),
                       bin ^ "tq3_ececommon.dll");
  if (client) orvane::SetQVServerVariable(count, args);
  return 1;
}
