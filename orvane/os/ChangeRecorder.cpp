// The recording layer: one SeamLayer over the backend, made of a part per
// seam (files, registry, services) and the calls that it records as they
// come (programs, data sources, startup items).
#include "orvane/os/ChangeRecorder.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>

#include "orvane/os/Backend.h"
#include "orvane/os/NetworkDatabaseText.h"
#include "orvane/os/PlannedFiles.h"
#include "orvane/os/PlannedRegistry.h"
#include "orvane/os/PlannedServices.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {
namespace {

constexpr unsigned long kNoData = 11004;  // WSANO_DATA: no entry for the port

std::vector<std::string> AttributeTexts(const char* attributes) {
  std::vector<std::string> texts;
  for (const char* text = attributes; text != nullptr && *text != '\0';
       text += texts.back().size() + 1) {
    texts.emplace_back(text);
  }
  return texts;
}

// A piped child of the plan: what is written to it goes to a scratch file
// that nobody reads, and it "exits" with 0.
class PlannedPipe final : public ChildPipe::Impl {
 public:
  explicit PlannedPipe(FILE* stream) : m_stream(stream) {}
  ~PlannedPipe() override { Close(); }
  FILE* stream() override { return m_stream; }
  int Close() override {
    if (m_stream == nullptr) return -1;
    std::fclose(m_stream);
    m_stream = nullptr;
    return 0;
  }

 private:
  FILE* m_stream;
};

}  // namespace

bool ChangeSet::Empty() const {
  return files.empty() && directories.empty() && modes.empty() && registry.empty() &&
         services.empty() && dataSources.empty() && programs.empty() && startupItems.empty();
}

namespace {

auto Fields(const FileChange& c) { return std::tie(c.path, c.before, c.after, c.newFileMode); }
auto Fields(const DirectoryChange& c) { return std::tie(c.path, c.created); }
auto Fields(const ModeChange& c) { return std::tie(c.path, c.mode); }
auto Fields(const RegistryValue& v) { return std::tie(v.type, v.data); }
auto Fields(const ServiceConfig& c) {
  return std::tie(c.serviceType, c.startType, c.errorControl, c.binaryPath, c.displayName,
                  c.account);
}
auto Fields(const DataSourceChange& c) { return std::tie(c.request, c.driver, c.attributes); }
auto Fields(const ProgramRun& c) { return std::tie(c.commandLine, c.workingDirectory, c.piped); }
auto Fields(const StartupItemChange& c) { return std::tie(c.displayName); }

template <class T>
bool Same(const T& a, const T& b) {
  return Fields(a) == Fields(b);
}
template <class T>
bool Same(const std::optional<T>& a, const std::optional<T>& b) {
  return a.has_value() == b.has_value() && (!a || Same(*a, *b));
}
bool Same(const RegistryChange& a, const RegistryChange& b) {
  return a.root == b.root && a.key == b.key && a.value == b.value && Same(a.before, b.before) &&
         Same(a.after, b.after);
}
bool Same(const ServiceChange& a, const ServiceChange& b) {
  return a.name == b.name && Same(a.before, b.before) && Same(a.after, b.after) &&
         a.stateBefore == b.stateBefore && a.stateAfter == b.stateAfter;
}
template <class T>
bool Same(const std::vector<T>& a, const std::vector<T>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!Same(a[i], b[i])) return false;
  }
  return true;
}

}  // namespace

bool operator==(const ChangeSet& a, const ChangeSet& b) {
  return Same(a.files, b.files) && Same(a.directories, b.directories) && Same(a.modes, b.modes) &&
         Same(a.registry, b.registry) && Same(a.services, b.services) &&
         Same(a.dataSources, b.dataSources) && Same(a.programs, b.programs) &&
         Same(a.startupItems, b.startupItems);
}

class ChangeRecorder::Impl final : public SeamLayer {
 public:
  explicit Impl(Recording mode)
      : m_mode(mode),
        m_files(std::make_shared<PlannedFiles>(mode)),
        m_registry(std::make_shared<PlannedRegistry>(mode)),
        m_services(std::make_shared<PlannedServices>(mode)) {}

  ChangeSet Changes() const {
    ChangeSet changes;
    m_files->AppendChanges(&changes);
    m_registry->AppendChanges(&changes);
    m_services->AppendChanges(&changes);
    changes.dataSources = m_dataSources;
    changes.programs = m_programs;
    changes.startupItems = m_startupItems;
    return changes;
  }

  FILE* OpenFile(const std::string& path, const char* mode, int newFileMode) override {
    return m_files->OpenFile(path, mode, newFileMode);
  }
  std::unique_ptr<ReplacementFile::Impl> NewReplacementFile(const std::string& path,
                                                            const char* mode, int newFileMode,
                                                            ReplacedFileMode modeRule) override {
    return m_files->NewReplacementFile(path, mode, newFileMode, modeRule);
  }
  std::unique_ptr<FileLock::Impl> NewFileLock(const std::string& lockPath, LockWait wait) override {
    return m_files->NewFileLock(lockPath, wait);
  }
  FILE* ReopenFile(const std::string& path, const char* mode, FILE* stream) override {
    return m_files->ReopenFile(path, mode, stream);
  }
  bool PathExists(const std::string& path) override { return m_files->PathExists(path); }
  bool DirectoryExists(const std::string& path) override { return m_files->DirectoryExists(path); }
  bool IsLink(const std::string& path) override { return m_files->IsLink(path); }
  bool SameFile(const std::string& a, const std::string& b) override {
    return m_files->SameFile(a, b);
  }
  Status CopyFile(const std::string& source, const std::string& target,
                  bool failIfExists) override {
    return m_files->CopyFile(source, target, failIfExists);
  }
  Status MoveFile(const std::string& source, const std::string& target) override {
    return m_files->MoveFile(source, target);
  }
  Status DeleteFile(const std::string& path) override { return m_files->DeleteFile(path); }
  Status CreateDirectory(const std::string& path) override {
    return m_files->CreateDirectory(path);
  }
  Status RemoveDirectory(const std::string& path) override {
    return m_files->RemoveDirectory(path);
  }
  Expected<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory,
                                                      const std::string& pattern) override {
    return m_files->ListDirectory(directory, pattern);
  }
  Expected<std::string> ShortPathName(const std::string& path) override {
    return m_files->ShortPathName(path);
  }
  Status SetFileMode(const std::string& path, int mode) override {
    return m_files->SetFileMode(path, mode);
  }
  Expected<std::unique_ptr<FileSnapshot::Impl>> TakeFileSnapshot(const std::string& path) override {
    return m_files->TakeFileSnapshot(path);
  }
  bool HoldsChangeOf(const std::string& path) const override { return m_files->IsPending(path); }

  Expected<std::unique_ptr<RegistryKey::Impl>> OpenRegistryKey(RegistryRoot root,
                                                               const std::string& subkey,
                                                               RegistryAccess access) override {
    return m_registry->Open(root, subkey, access);
  }
  Expected<std::unique_ptr<RegistryKey::Impl>> CreateRegistryKey(RegistryRoot root,
                                                                 const std::string& subkey,
                                                                 const std::string& keyClass,
                                                                 RegistryAccess access) override {
    return m_registry->Create(root, subkey, keyClass, access);
  }
  Status DeleteRegistryKey(RegistryRoot root, const std::string& subkey) override {
    return m_registry->DeleteKey(root, subkey);
  }

  Expected<std::unique_ptr<ServiceManager::Impl>> OpenServiceManager() override {
    return m_services->OpenManager();
  }

  Status StartProcess(const std::string& commandLine,
                      const std::string& workingDirectory) override {
    Status started = m_mode == Recording::kPlan
                         ? Status()
                         : backend::StartProcess(commandLine, workingDirectory);
    if (started.ok()) m_programs.push_back({commandLine, workingDirectory, false});
    return started;
  }
  Expected<std::unique_ptr<ChildPipe::Impl>> OpenChildPipe(
      const std::string& commandLine) override {
    std::unique_ptr<ChildPipe::Impl> pipe;
    if (m_mode == Recording::kPlan) {
      FILE* discarded = backend::OpenHostStream(m_files->NewScratchPath(), "wb");
      if (discarded == nullptr) return Status::FromLastError();
      pipe = std::make_unique<PlannedPipe>(discarded);
    } else {
      Expected<backend::ChildPipe> opened = backend::ChildPipe::Open(commandLine);
      if (!opened.ok()) return opened.status();
      pipe = BackendChildPipe(std::move(*opened));
    }
    m_programs.push_back({commandLine, std::string(), true});
    return pipe;
  }
  void SleepMilliseconds(unsigned long milliseconds) override {
    if (m_mode == Recording::kPassThrough) backend::SleepMilliseconds(milliseconds);
  }

  Status ConfigureDataSource(DataSourceRequest request, const std::string& driver,
                             const char* attributes) override {
    Status configured = m_mode == Recording::kPlan
                            ? Status()
                            : backend::ConfigureDataSource(request, driver, attributes);
    if (configured.ok()) m_dataSources.push_back({request, driver, AttributeTexts(attributes)});
    return configured;
  }
  Expected<std::vector<std::string>> ListStartupItems() override {
    Expected<std::vector<std::string>> items = backend::ListStartupItems();
    if (!items.ok() || m_mode == Recording::kPassThrough) return items;
    for (const StartupItemChange& deleted : m_startupItems) {
      std::vector<std::string>& names = *items;
      for (auto name = names.begin(); name != names.end();) {
        name = *name == deleted.displayName ? names.erase(name) : name + 1;
      }
    }
    return items;
  }
  Status DeleteStartupItem(const std::string& displayName) override {
    Status deleted;
    if (m_mode == Recording::kPassThrough) {
      deleted = backend::DeleteStartupItem(displayName);
    } else {
      Expected<std::vector<std::string>> items = ListStartupItems();
      if (!items.ok()) return items.status();
      bool listed = false;
      for (const std::string& name : *items) listed = listed || name == displayName;
      if (!listed) deleted = Status::Failure(kFileNotFound);
    }
    if (deleted.ok()) m_startupItems.push_back({displayName});
    return deleted;
  }
  Expected<ServiceEntry> LookupServiceByPort(int port, const std::string& protocol) override {
    const std::string servicesFile =
        backend::WindowsDirectory() + "\\system32\\drivers\\etc\\services";
    if (!m_files->IsPending(servicesFile)) return backend::LookupServiceByPort(port, protocol);
    std::optional<std::string> text = m_files->CurrentBytes(servicesFile);
    std::optional<ServiceEntry> entry =
        text ? FindServiceByPortInServicesText(*text, port, protocol) : std::nullopt;
    if (!entry) return Status::Failure(kNoData);
    return *entry;
  }

 private:
  Recording m_mode;
  // Shared with the handles they give, which hold them weakly.
  std::shared_ptr<PlannedFiles> m_files;
  std::shared_ptr<PlannedRegistry> m_registry;
  std::shared_ptr<PlannedServices> m_services;
  std::vector<DataSourceChange> m_dataSources;
  std::vector<ProgramRun> m_programs;
  std::vector<StartupItemChange> m_startupItems;
};

ChangeRecorder::ChangeRecorder(Recording mode) : m_mode(mode) {
  if (ActiveSeamLayer() != nullptr) {
    m_status = Status::Failure(kAlreadyExists);
    return;
  }
  m_impl = std::make_unique<Impl>(mode);
  SetActiveSeamLayer(m_impl.get());
}

ChangeRecorder::~ChangeRecorder() {
  if (m_impl) SetActiveSeamLayer(nullptr);
}

const Status& ChangeRecorder::status() const { return m_status; }
Recording ChangeRecorder::mode() const { return m_mode; }
ChangeSet ChangeRecorder::Changes() const { return m_impl ? m_impl->Changes() : ChangeSet(); }

namespace {

// The recorder a program runs under for its host, and the file its change
// set goes to. It is saved and ended at exit, by a handler rather than a
// destructor, while other objects may already be gone (the backend's own
// state is never freed, so it stays).
struct RecordingForHost {
  ChangeRecorder recorder;
  std::string file;
};
RecordingForHost* g_recordingForHost = nullptr;

void SaveRecordingForHost() {
  if (std::FILE* out = std::fopen(g_recordingForHost->file.c_str(), "wb")) {
    SaveChangeSet(g_recordingForHost->recorder.Changes(), out);
    std::fclose(out);
  }  // else the host says that nothing came
  delete g_recordingForHost;  // removes the plan's scratch folder
  g_recordingForHost = nullptr;
}

}  // namespace

void StartRecordingFromEnvironment() {
  const char* value = std::getenv(kRecordingVariable);
  if (value == nullptr || *value == '\0' || g_recordingForHost != nullptr) return;
  const std::string request = value;
  backend::SetEnvironmentVariable(kRecordingVariable, "");
  constexpr char kPlanPrefix[] = "plan:";
  const bool plan = request.rfind(kPlanPrefix, 0) == 0;
  g_recordingForHost = new RecordingForHost{
      ChangeRecorder(plan ? Recording::kPlan : Recording::kPassThrough),
      plan ? request.substr(sizeof kPlanPrefix - 1) : request};
  if (g_recordingForHost->recorder.status().ok()) std::atexit(SaveRecordingForHost);
}

}  // namespace orvane::os
