// The instance list: its records, the checks between them and the data file.
#include "orvane/core/MSList.h"

#include <cstring>
#include <string>
#include <vector>

#include "orvane/os/Files.h"
#include "orvane/os/Network.h"
#include "orvane/core/AsciiCase.h"
#include "orvane/core/MSListIndex.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/ServicesDatabase.h"
#include "orvane/platform/TextFileRewrite.h"

struct MSList::Node {
  Node* prev;
  Node* next;
  MSInfo info;
};

namespace orvane {

// A record that Load left out, with the conflict flags that refused it.
struct RefusedRecord {
  MSInfo record;
  int flags;
};

struct RefusedRecords {
  std::vector<RefusedRecord> items;
};

}  // namespace orvane

namespace {

// The first port of the default record's port search.
constexpr long long kFirstDefaultPort = 16570;
// A candidate port at or above this ends the search without a port.
constexpr long long kPortSearchLimit = 65535;
// The highest TCP port: nothing is listed beyond it.
constexpr long long kMaxTcpPort = 65535;

using orvane::PortBlockEnd;

bool InBlock(long long port, const MSInfo& rec) {
  return rec.GetMSPort() <= port && port < PortBlockEnd(rec);
}

// True when serviceName is one that creation or the queue bridge registers
// for the instance named instanceName: "tq" + name, alone or followed by
// "_" + k, "_pb_" + k, "_pe_" + k, "_cy_" + k, "_sched_" + k or "_ece_" + k,
// for a decimal number k; letter case ignored.
bool IsOwnServiceName(const std::string& serviceName, const char* instanceName) {
  const std::string prefix = std::string("tq") + instanceName;
  if (serviceName.size() < prefix.size() ||
      !orvane::EqualsIgnoringCase(serviceName.c_str(), prefix.size(), prefix.c_str())) {
    return false;
  }
  std::string rest = serviceName.substr(prefix.size());
  if (rest.empty()) return true;
  for (char& c : rest) c = orvane::FoldAsciiCase(c);
  static const char* const kNumberedForms[] = {"_pb_", "_pe_", "_cy_", "_sched_", "_ece_", "_"};
  for (const char* form : kNumberedForms) {
    const size_t length = std::strlen(form);
    if (rest.compare(0, length, form) != 0 || rest.size() == length) continue;
    if (rest.find_first_not_of("0123456789", length) == std::string::npos) return true;
  }
  return false;
}

// True when the services database lists the port under a name that is not
// one of rec's own: its own entries are what creation left, not a conflict.
bool IsTakenByOthers(const orvane::ServicesDatabase* services, long long port, const MSInfo& rec) {
  if (services == nullptr) return false;
  for (const std::string& name : services->NamesAt(static_cast<int>(port))) {
    if (!IsOwnServiceName(name, rec.GetName())) return true;
  }
  return false;
}

// The port check of Add and MergeCurrent. rec's ports are walked in rising
// order; the first that is the reserved port or that the services database
// lists under another program's name gives kConflictPortTaken. With
// ownBlock, reaching a port of that block ends the walk: an existing
// instance's ports are its own services. When the socket layer cannot be
// started or stopped the ports could not be confirmed free, which is
// reported as taken too. services is the database as it is now, null when
// the file cannot be read.
int CheckPortsTaken(const MSInfo& rec, const MSInfo* ownBlock,
                    const orvane::ServicesDatabase* services) {
  if (!orvane::os::StartSocketLayer().ok()) return MSList::kConflictPortTaken;
  int flags = 0;
  const long long last = PortBlockEnd(rec) - 1;
  // A damaged record may start far below 0: there are no ports to look up
  // there, and walking them would take billions of steps.
  const long long first = rec.GetMSPort() < 0 ? 0 : rec.GetMSPort();
  for (long long port = first; port <= last && port <= kMaxTcpPort; ++port) {
    if (port == MSInfo::kReservedPort) {
      flags = MSList::kConflictPortTaken;
      break;
    }
    if (ownBlock != nullptr && InBlock(port, *ownBlock)) break;
    if (IsTakenByOthers(services, port, rec)) {
      flags = MSList::kConflictPortTaken;
      break;
    }
  }
  if (!orvane::os::StopSocketLayer().ok()) return MSList::kConflictPortTaken;
  return flags;
}

// The web server part of the default record: the directories below webDir
// when one is given, else those of the installed Quenta Go Webserver; without
// either the web server is taken to be Netscape Enterprise Server.
void SetDefaultWebServer(MSInfo& rec, const char* webDir) {
  if (webDir != nullptr && *webDir != '\0') {
    const KelString dir = webDir;
    rec.SetISType(eISGoWebserver);
    rec.SetCgiPath(dir ^ "CGI-Bin");
    rec.SetHtmlPath(dir ^ "HTML");
    return;
  }
  orvane::WebServerDirs dirs;
  if (orvane::GetWebServerDirs(dirs) && !dirs.configDir.IsEmpty()) {
    rec.SetISType(eISGoWebserver);
    rec.SetCgiPath(dirs.cgiDir);
    rec.SetHtmlPath(dirs.htmlDir);
  } else {
    rec.SetISType(eISNetscape);
  }
}

// The local machine's official name and first address; each is set only when
// the look-up gives it.
void SetDefaultHost(MSInfo& rec) {
  const auto name = orvane::os::LocalHostName();
  if (!name.ok()) return;
  const auto host = orvane::os::ResolveHost(*name);
  if (!host.ok()) return;
  rec.SetISHost(host->officialName.c_str());
  if (!host->addresses.empty()) rec.SetIPAddr(host->addresses.front().c_str());
}

}  // namespace

MSList::MSList() : m_refused(new orvane::RefusedRecords) { Init(); }

MSList::~MSList() {
  Empty();
  delete m_refused;
}

MSList::MSList(const MSList& other) : m_refused(new orvane::RefusedRecords) {
  Init();
  CopyFrom(other);
}

MSList& MSList::operator=(const MSList& other) {
  if (this != &other) CopyFrom(other);
  return *this;
}

void MSList::Init() {
  m_head = m_tail = m_current = nullptr;
  m_count = 0;
  m_currentIndex = -1;
}

void MSList::Empty() {
  for (Node* node = m_head; node != nullptr;) {
    Node* next = node->next;
    delete node;
    node = next;
  }
  Init();
}

void MSList::CopyFrom(const MSList& other) {
  Empty();
  for (const Node* node = other.m_head; node != nullptr; node = node->next) Append(node->info);
  const int index = other.GetIndex();
  m_current = index < 0 ? nullptr : NodeAt(index);
  m_currentIndex = m_current == nullptr ? -1 : index;
  m_default = other.m_default;
  *m_refused = *other.m_refused;
}

void MSList::Append(const MSInfo& rec) {
  Node* node = new Node{m_tail, nullptr, rec};
  if (m_tail == nullptr) {
    m_head = node;
  } else {
    m_tail->next = node;
  }
  m_tail = node;
  m_current = node;
  m_currentIndex = m_count++;
}

MSList::Node* MSList::NodeAt(int i) const {
  // From the current record when it lies on the way: a walk through the list
  // in order takes one step a record.
  Node* node = m_head;
  int at = 0;
  if (m_current != nullptr && m_currentIndex <= i) {
    node = m_current;
    at = m_currentIndex;
  }
  for (; node != nullptr && at < i; ++at) node = node->next;
  return node;
}

int MSList::GetCount() const { return m_count; }

int MSList::SetIndex(int i) {
  if (i < 0 || i > GetCount()) return 0;
  m_current = NodeAt(i);
  m_currentIndex = m_current == nullptr ? -1 : i;
  return 1;
}

int MSList::GetIndex() const { return m_currentIndex; }

int MSList::GetCurrent(MSInfo& out) const {
  if (m_current == nullptr) return 0;
  out = m_current->info;
  return 1;
}

int MSList::CheckDup(const MSInfo& a, const MSInfo& b) const {
  int flags = 0;
  if (orvane::EqualsIgnoringCase(a.GetName(), b.GetName())) flags |= kConflictName;
  if (a.GetMSPort() == b.GetMSPort()) flags |= kConflictPort;
  if (orvane::EqualsIgnoringCase(a.GetISHost(), b.GetISHost())) flags |= kConflictHost;
  if (orvane::EqualsIgnoringCase(a.GetHtmlPath(), b.GetHtmlPath())) flags |= kConflictHtmlPath;
  if (a.GetMSPort() < PortBlockEnd(b) && b.GetMSPort() < PortBlockEnd(a)) {
    flags |= kConflictPortBlock;
  }
  if (orvane::EqualsIgnoringCase(a.GetDBName(), b.GetDBName()) && orvane::EqualsIgnoringCase(a.GetDBUser(), b.GetDBUser())) {
    // Passwords are compared in clear: the cipher text of one password is
    // not unique.
    KelString passwordA;
    KelString passwordB;
    a.GetDBPswd(passwordA);
    b.GetDBPswd(passwordB);
    if (orvane::EqualsIgnoringCase(passwordA, passwordB)) flags |= kConflictDatabase;
  }
  return flags;
}

int MSList::CheckUnique(const MSInfo& rec) const {
  for (const Node* node = m_head; node != nullptr; node = node->next) {
    if (const int flags = CheckDup(rec, node->info)) return flags;
  }
  return 0;
}

int MSList::Add(MSInfo& rec, int check) {
  if (check) {
    bool portsChecked = false;
    for (const Node* node = m_head; node != nullptr; node = node->next) {
      if (const int flags = CheckDup(rec, node->info)) return flags;
      // The ports are checked once a first record has passed, so adding to
      // an empty list checks none.
      if (!portsChecked) {
        const auto services = orvane::ServicesDatabase::Current();
        if (const int flags = CheckPortsTaken(rec, nullptr, services.get())) return flags;
        portsChecked = true;
      }
    }
  }
  Append(rec);
  return 0;
}

int MSList::Delete() {
  if (m_current == nullptr) return 0;
  Node* gone = m_current;
  m_current = gone->next != nullptr ? gone->next : gone->prev;
  if (gone->next == nullptr) --m_currentIndex;  // else the next one takes its position
  --m_count;
  (gone->prev != nullptr ? gone->prev->next : m_head) = gone->next;
  (gone->next != nullptr ? gone->next->prev : m_tail) = gone->prev;
  delete gone;
  return 1;
}

int MSList::SetCurrent(const MSInfo& rec) {
  if (m_current == nullptr) return -1;
  for (const Node* node = m_head; node != nullptr; node = node->next) {
    if (node == m_current) continue;
    if (const int flags = CheckDup(rec, node->info)) return flags;
  }
  m_current->info = rec;
  return 0;
}

int MSList::MergeCurrent(MSInfo& rec) {
  if (m_current == nullptr) return -1;
  for (const Node* node = m_head; node != nullptr; node = node->next) {
    const int flags =
        node == m_current
            ? CheckPortsTaken(rec, &node->info, orvane::ServicesDatabase::Current().get())
            : CheckDup(rec, node->info);
    if (flags) return flags;
  }
  m_current->info.CopyCoreFields(rec);
  rec = m_current->info;
  return 0;
}

int MSList::SetDefault(MSInfo& rec) {
  m_default = rec;
  return 1;
}

int MSList::GetDefault(MSInfo& out) const {
  out = m_default;
  return 1;
}

long long MSList::FindFreePortBlock(long long start, int (MSInfo::*firstPort)() const) const {
  long long candidate = start;
  while (candidate < kPortSearchLimit) {
    // Past every block: each record's ports, with nine ports to spare, lie
    // below the candidate, which stays a multiple of ten.
    for (const Node* node = m_head; node != nullptr; node = node->next) {
      const long long end =
          static_cast<long long>((node->info.*firstPort)()) + node->info.GetMSProc() + 9;
      if (end >= candidate) candidate = (end + 11) / 10 * 10;
    }
    if (candidate >= kPortSearchLimit) break;
    if (m_default.TestPort(static_cast<int>(candidate), 10)) break;
    candidate += 20;
  }
  return candidate;
}

int MSList::SetDefault(const char* instPath, const char* webDir) {
  m_default.SetName("mser");
  m_default.SetDBName("mser");
  if (instPath == nullptr) return 0;

  const KelString installation = instPath;
  m_default.SetRootPath(installation ^ "instance" ^ "");
  m_default.SetMacroPath(installation ^ "macro" ^ "en_US");
  SetDefaultWebServer(m_default, webDir);
  SetDefaultHost(m_default);

  long long candidate = FindFreePortBlock(kFirstDefaultPort, &MSInfo::GetMSPort);
  if (candidate < kPortSearchLimit) m_default.SetMSPort(static_cast<int>(candidate));
  candidate = FindFreePortBlock(candidate + 10, &MSInfo::GetDBPort);
  if (candidate < kPortSearchLimit) m_default.SetDBPort(static_cast<int>(candidate));

  m_default.SetMSProc(2);
  KelString velqPath;
  if (KelGetDBVXRPath(velqPath)) m_default.SetDBType(eDBVelq);
  m_default.SetZKCycle(30);
  m_default.SetZKIntvl(30);
  m_default.SetZKTmout(3600);
  if (orvane::IsPayServerInstalled()) {
    m_default.SetMSOption(MSInfo::kOptPayServer, MSInfo::kOptPayServer);
  }
  if (orvane::IsJQInstalled()) m_default.SetMSOption(MSInfo::kOptHosting, MSInfo::kOptHosting);
  return 1;
}

int MSList::StoreTo(FILE* file) const {
  if (!StoreInt(MSInfo::kDataFileVersion, file) || !StoreInt(GetCount(), file)) return 0;
  for (const Node* node = m_head; node != nullptr; node = node->next) {
    if (!node->info.Store(file)) return 0;
  }
  return StoreInt(MSInfo::kDataFileVersion, file);
}

int MSList::Store(const char* path) const {
  if (path == nullptr) return 0;
  // Written beside the file and renamed into place once complete, so that a
  // failure leaves the previous file as it was. The secrets in it can be
  // deciphered by anyone with the library: a new file is the owner's only,
  // and a replaced one is closed to others.
  orvane::FileReplacement replacement(path, orvane::kSecretFileMode,
                                      orvane::os::ReplacedFileMode::kWithoutOthers);
  if (replacement.stream() == nullptr || !StoreTo(replacement.stream())) return 0;
  return replacement.Commit() ? 1 : 0;
}

int MSList::LoadFrom(FILE* file) {
  int version = 0;
  int count = 0;
  if (!LoadInt(version, file) || !LoadInt(count, file)) return 0;
  if (version > MSInfo::kDataFileVersion || count < 0) return 0;
  // Every record is checked as Add checks it, through one index of the list
  // and one parse of the services file, instead of against every record and
  // the file once for each.
  orvane::ConflictIndex index;
  for (const Node* node = m_head; node != nullptr; node = node->next) index.Add(node->info);
  const auto services = orvane::ServicesDatabase::Current();
  // In the order of Add's walk: the head's conflict, then the ports, then the
  // first conflict further on.
  const auto check = [&](const MSInfo& rec) {
    const MSInfo* conflict = index.FirstConflict(rec);
    if (m_head != nullptr) {
      if (conflict == &m_head->info) return CheckDup(rec, *conflict);
      if (const int flags = CheckPortsTaken(rec, nullptr, services.get())) return flags;
    }
    return conflict != nullptr ? CheckDup(rec, *conflict) : 0;
  };
  for (int i = 0; i < count; ++i) {
    MSInfo rec;
    if (!rec.Load(file, version)) {
      Empty();
      return 0;
    }
    if (const int flags = check(rec)) {
      m_refused->items.push_back({rec, flags});
    } else {
      Append(rec);
      index.Add(m_tail->info);
    }
  }
  int closing = 0;
  return LoadInt(closing, file) && closing == version ? 1 : 0;
}

int MSList::Load(const char* path) {
  m_refused->items.clear();
  if (path == nullptr) return 0;
  FILE* file = orvane::os::OpenFile(path, "r");
  if (file == nullptr) return 0;
  const int result = LoadFrom(file);
  std::fclose(file);
  return result;
}

int MSList::GetRefusedCount() const { return static_cast<int>(m_refused->items.size()); }

int MSList::GetRefused(int index, MSInfo& out, int& flags) const {
  if (index < 0 || index >= GetRefusedCount()) return 0;
  out = m_refused->items[index].record;
  flags = m_refused->items[index].flags;
  return 1;
}
