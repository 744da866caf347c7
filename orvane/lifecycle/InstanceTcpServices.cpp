#include "orvane/lifecycle/InstanceTcpServices.h"

#include <cstring>
#include <memory>

#include "orvane/core/AsciiCase.h"
#include "orvane/core/MSInfo.h"
#include "orvane/os/Network.h"
#include "orvane/platform/ServicesDatabase.h"
#include "orvane/platform/ServicesFile.h"

namespace orvane {
namespace {

constexpr int kHelperSearchStart = 40000;
constexpr int kHelperSearchStep = 10;
constexpr int kHelperBlockPorts = 11;  // pay_cyber 1 and scheduler 1 to 10
constexpr int kLowestPort = 1;
constexpr int kHighestPort = 65535;
// The record's rule allows at most 99 server processes; a damaged record
// with more must not make millions of entries.
constexpr int kMaxServerProcesses = 99;
constexpr int kSchedulerEntries = 10;

// The payment entries after pay_back 1: pay_cashet 1 to 6.
constexpr const char* kCashetComments[] = {"pay_cashet", "Admin port",   "Pay port",
                                           "Error port", "SET Pay Port", "SET Inquiry Port"};

bool IsTcpPort(long long port) { return port >= kLowestPort && port <= kHighestPort; }

std::string Prefix(const MSInfo& info) { return std::string("tq") + info.GetName(); }

std::string Numbered(const std::string& prefix, const char* helper, int number) {
  std::string name = prefix;
  if (helper != nullptr) name += std::string("_") + helper;
  return name + "_" + std::to_string(number);
}

TcpServiceEntry Entry(std::string name, long long port, const std::string& text) {
  // Beyond any port: registration refuses it.
  const int stored = IsTcpPort(port) ? static_cast<int>(port) : -1;
  return TcpServiceEntry{std::move(name), stored, "Tessaly - " + text};
}

int ProcessCount(const MSInfo& info) {
  const int count = info.GetMSProc();
  return count < 0 ? 0 : (count > kMaxServerProcesses ? kMaxServerProcesses : count);
}

// Names compare as the C strings they are; the length, taken once, tells most
// of the instance's helper names apart without a look at their letters.
bool IsOwnHelperName(const std::vector<TcpServiceEntry>& helpers, const std::string& name) {
  const size_t length = std::strlen(name.c_str());
  for (const TcpServiceEntry& entry : helpers) {
    if (entry.name.size() == length && EqualsIgnoringCase(name.c_str(), length, entry.name.c_str())) {
      return true;
    }
  }
  return false;
}

// A port is free when it is a valid instance port that the services file
// lists under no name, or only under the instance's own helper names.
bool IsFreeHelperPort(int port, const ServicesDatabase* services,
                      const std::vector<TcpServiceEntry>& ownHelpers) {
  if (!MSInfo::CheckMSPort(port)) return false;
  if (services == nullptr) return true;
  for (const std::string& name : services->NamesAt(port)) {
    if (!IsOwnHelperName(ownHelpers, name)) return false;
  }
  return true;
}

}  // namespace

std::string BridgeTcpServiceName(const MSInfo& info) { return Numbered(Prefix(info), "ece", 1); }

std::vector<TcpServiceEntry> InstanceTcpServices(const MSInfo& info, TcpServiceGroup group,
                                                 int helperBlock) {
  const std::string prefix = Prefix(info);
  // Without a valid base port (unset, damaged) every port of the block is
  // invalid; computed wide, a block past the highest port stays invalid too.
  const long long base = IsTcpPort(info.GetMSPort()) ? info.GetMSPort() : -kHighestPort - 1;
  const int processes = ProcessCount(info);
  std::vector<TcpServiceEntry> entries;
  switch (group) {
    case TcpServiceGroup::kController:
      entries.push_back(Entry(prefix, base, "Server Controller"));
      break;
    case TcpServiceGroup::kServers:
      for (int k = 1; k <= processes; ++k) {
        entries.push_back(Entry(Numbered(prefix, nullptr, k), base + k, info.GetName()));
      }
      break;
    case TcpServiceGroup::kPayment: {
      const long long first = base + processes + 1;
      entries.push_back(Entry(Numbered(prefix, "pb", 1), first, "pay_back"));
      for (int k = 1; k <= 6; ++k) {
        entries.push_back(Entry(Numbered(prefix, "pe", k), first + k, kCashetComments[k - 1]));
      }
      break;
    }
    case TcpServiceGroup::kHelpers:
      entries.push_back(Entry(Numbered(prefix, "cy", 1), helperBlock, "pay_cyber"));
      for (int j = 1; j <= kSchedulerEntries; ++j) {
        entries.push_back(Entry(Numbered(prefix, "sched", j), helperBlock + j, "scheduler"));
      }
      break;
  }
  return entries;
}

int FindHelperPortBlock(const MSInfo& info) {
  const std::vector<TcpServiceEntry> ownHelpers =
      InstanceTcpServices(info, TcpServiceGroup::kHelpers);
  // The socket layer stands for the system's services database, as in the
  // record's own port test.
  os::SocketLayerScope socketLayer;
  if (!socketLayer.status().ok()) return -1;
  const std::shared_ptr<const ServicesDatabase> services = ServicesDatabase::Current();
  for (int first = kHelperSearchStart; first + kHelperBlockPorts - 1 <= kHighestPort;
       first += kHelperSearchStep) {
    bool free = true;
    for (int port = first; free && port < first + kHelperBlockPorts; ++port) {
      free = IsFreeHelperPort(port, services.get(), ownHelpers);
    }
    if (free) return first;
  }
  return -1;
}

int RegisterTcpServices(const std::vector<TcpServiceEntry>& entries) {
  // A record without a valid port block (unset, damaged) registers no
  // entry that no process could listen on.
  std::vector<TcpServiceEntry> valid;
  for (const TcpServiceEntry& entry : entries) {
    if (IsTcpPort(entry.port)) valid.push_back(entry);
  }
  const int registered = RegisterTcpServiceEntries(valid);
  return registered && valid.size() == entries.size() ? 1 : 0;
}

int UnregisterTcpServices(const std::vector<TcpServiceEntry>& entries) {
  int status = 1;
  for (const TcpServiceEntry& entry : entries) {
    status &= KelUnregTcpService(entry.name.c_str()) ? 1 : 0;
  }
  return status;
}

}  // namespace orvane
