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
constexpr int kSecretFileMode = 0600;

}  // namespace

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

namespace {

// Each conflict flag with the library's message and the field it is about.
struct ConflictKind {
  int flag;
  unsigned int message;
  const char* field;
};
constexpr ConflictKind kConflictKinds[] = {
    {MSList::kConflictName, 68, "name"},          {MSList::kConflictPort, 87, "port"},
    {MSList::kConflictHost, 69, "host"},          {0x08, 71, "ip"},
    {MSList::kConflictHtmlPath, 72, "html-path"}, {MSList::kConflictPortBlock, 76, "port"},
    {MSList::kConflictDatabase, 77, "db-name"},   {MSList::kConflictPortTaken, 70, "port"},
};

}  // namespace

std::string ConflictPartner(const MSList& list, const MSInfo& record, int skipIndex) {
  MSList others(list);
  for (int i = 0; i < others.GetCount(); ++i) {
    if (i == skipIndex) continue;
    MSInfo other;
    others.SetIndex(i);
    others.GetCurrent(other);
    MSList one;
    one.Add(other, 0);
    if (one.CheckUnique(record) != 0) return std::string("instance ") + other.GetName();
  }
  return "a TCP service of another program";
}

std::vector<unsigned int> ConflictMessages(int flags) {
  std::vector<unsigned int> ids;
  for (const ConflictKind& kind : kConflictKinds) {
    if ((flags & kind.flag) != 0) ids.push_back(kind.message);
  }
  return ids;
}

nlohmann::json ConflictRefusals(int flags) {
  nlohmann::json refusals = nlohmann::json::array();
  for (const ConflictKind& kind : kConflictKinds) {
    if ((flags & kind.flag) == 0) continue;
    KelString text;
    KelLoadMessage(text, kind.message);
    refusals.push_back({{"field", kind.field}, {"text", static_cast<const char*>(text)}});
  }
  return refusals;
}

std::string ConflictFields(int flags) {
  std::string fields;
  for (const ConflictKind& kind : kConflictKinds) {
    if ((flags & kind.flag) == 0) continue;
    const std::string field = kind.field;
    if ((", " + fields + ",").find(" " + field + ",") != std::string::npos) continue;
    fields += (fields.empty() ? "" : ", ") + field;
  }
  return fields;
}

void ReportConflicts(const std::string& lead, MSList& list, const MSInfo& record, int flags,
                     int skipIndex) {
  Host& host = Host::Get();
  host.ErrorText(lead + " conflicts with " + ConflictPartner(list, record, skipIndex) + " on " +
                 ConflictFields(flags) + ":");
  for (unsigned int id : ConflictMessages(flags)) host.Error(id);
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
  if (access != Access::kRead && !m_lock.emplace(m_path + ".lock").status().ok()) {
    host.ErrorText("cannot lock the instance data file " + m_path);
    return kExitFailed;
  }
  if (!orvane::os::PathExists(m_path)) {
    m_complete = true;
    return kExitDone;
  }
  if (!m_list.Load(m_path.c_str())) {
    m_readable = false;
    host.Error(kMsgLoadingError);
    host.ErrorText("the instance data file " + m_path + " did not load completely");
    return kExitNoInstallation;
  }
  for (int i = 0; i < m_list.GetRefusedCount(); ++i) {
    RefusedRecord refused{MSInfo(), 0};
    m_list.GetRefused(i, refused.record, refused.flags);
    m_refused.push_back(refused);
  }
  m_complete = m_refused.empty();
  if (access == Access::kRepair) return kExitDone;
  for (const RefusedRecord& refused : m_refused) {
    ReportConflicts(std::string("the instance data file holds instance ") +
                        refused.record.GetName() + ", which the list refused: it",
                    m_list, refused.record, refused.flags, -1);
  }
  if (!m_complete) {
    host.ErrorText("orvanectl repair lists the refused records and mends or drops them");
  }
  return m_complete ? kExitDone : kExitNoInstallation;
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

bool InstanceData::KeepBackup() {
  if (!orvane::os::PathExists(m_path)) return true;
  const std::string backup = m_path + ".bak";
  std::FILE* source = orvane::os::OpenFile(m_path, "rb");
  if (source == nullptr) return false;
  // Written beside and renamed into place: never through a planted link. The
  // secrets in it are the owner's only, as in the data file.
  orvane::os::ReplacementFile copy(backup, "wb", kSecretFileMode);
  bool copied = copy.status().ok();
  char buffer[4096];
  for (std::size_t got; copied && (got = std::fread(buffer, 1, sizeof buffer, source)) > 0;) {
    copied = std::fwrite(buffer, 1, got, copy.stream()) == got;
  }
  copied = copied && !std::ferror(source);
  std::fclose(source);
  if (!copied || !copy.Commit().ok()) return false;
  Host::Get().Result()["written"].push_back(backup);
  return true;
}

bool InstanceData::StoreRepaired(std::vector<MSInfo>& kept) {
  Host& host = Host::Get();
  if (!KeepBackup()) {
    host.ErrorText("not stored: cannot keep the instance data file as " + m_path + ".bak");
    return false;
  }
  for (MSInfo& record : kept) m_list.Add(record, 0);
  m_complete = true;
  return Store();
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
  host.Result()["written"].push_back(m_path);
  return true;
}

}  // namespace orvanectl
