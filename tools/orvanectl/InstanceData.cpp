#include "InstanceData.h"

#include <utility>

#include "Host.h"
#include "orvane/os/Files.h"

namespace orvanectl {

namespace {

constexpr unsigned int kMsgNoInstallation = 5;
constexpr unsigned int kMsgLoadingError = 8;
constexpr unsigned int kMsgCannotCreateFile = 26;
constexpr unsigned int kMsgNoSuchInstance = 88;

bool SameName(const char* a, const std::string& b) {
  std::string left = a == nullptr ? "" : a;
  if (left.size() != b.size()) return false;
  for (std::size_t i = 0; i < left.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(left[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<unsigned int> ConflictMessages(int flags) {
  static const std::pair<int, unsigned int> kMessages[] = {
      {MSList::kConflictName, 68},      {MSList::kConflictPort, 87},
      {MSList::kConflictHost, 69},      {0x08, 71},
      {MSList::kConflictHtmlPath, 72},  {MSList::kConflictPortBlock, 76},
      {MSList::kConflictDatabase, 77},  {MSList::kConflictPortTaken, 70},
  };
  std::vector<unsigned int> ids;
  for (const auto& [flag, id] : kMessages) {
    if ((flags & flag) != 0) ids.push_back(id);
  }
  return ids;
}

int InstanceData::Open(const std::string& overridePath, Access access) {
  Host& host = Host::Get();
  if (overridePath.empty()) {
    KelString installation;
    if (!KelGetInstPath(installation)) {
      host.Error(kMsgNoInstallation);
      return kExitNoInstallation;
    }
    m_path = static_cast<const char*>(installation ^ "server" ^ "admin" ^ "tqconfig.dat");
  } else {
    m_path = overridePath;
  }
  if (access == Access::kChange && !m_lock.emplace(m_path + ".lock").status().ok()) {
    host.ErrorText("cannot lock the instance data file " + m_path);
    return kExitFailed;
  }
  if (!orvane::os::PathExists(m_path)) {
    m_complete = true;
    return kExitDone;
  }
  if (!m_list.Load(m_path.c_str())) {
    host.Error(kMsgLoadingError);
    host.ErrorText("the instance data file " + m_path + " did not load completely");
    return kExitNoInstallation;
  }
  m_complete = true;
  for (int i = 0; i < m_list.GetRefusedCount(); ++i) {
    MSInfo record;
    int flags = 0;
    m_list.GetRefused(i, record, flags);
    ReportRefused(record, flags);
    m_complete = false;
  }
  return m_complete ? kExitDone : kExitNoInstallation;
}

void InstanceData::ReportRefused(const MSInfo& record, int flags) {
  Host& host = Host::Get();
  host.ErrorText(std::string("the instance data file holds instance ") + record.GetName() +
                 ", which the list refused:");
  for (unsigned int id : ConflictMessages(flags)) host.Error(id);
}

bool InstanceData::Select(const std::string& name, MSInfo& record) {
  for (int i = 0; i < m_list.GetCount(); ++i) {
    m_list.SetIndex(i);
    m_list.GetCurrent(record);
    if (SameName(record.GetName(), name)) return true;
  }
  Host::Get().Error(kMsgNoSuchInstance, name.c_str());
  return false;
}

bool InstanceData::Store() {
  Host& host = Host::Get();
  if (!m_complete) {
    host.ErrorText("not stored: the instance data file " + m_path +
                   " did not load completely and is left as it is");
    return false;
  }
  if (!m_list.Store(m_path.c_str())) {
    host.Error(kMsgCannotCreateFile, m_path.c_str());
    return false;
  }
  return true;
}

}  // namespace orvanectl
