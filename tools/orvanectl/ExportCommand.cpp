// export: the desired-state file (see DesiredState.h) of the machine as it
// is, so that an existing installation can be brought under apply. Secrets
// are references: to files of their own, or to environment variables. A
// record whose instance was never created is left out: apply would create
// every instance the file names.
#include <orvane/orvane.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Commands.h"
#include "DesiredState.h"
#include "Host.h"
#include "InstanceData.h"
#include "InstanceFields.h"
#include "InstanceState.h"

namespace orvanectl {

namespace {

// The document keeps its keys in the order written: an instance's name
// first, then its fields in the table's order.
using Document = nlohmann::ordered_json;

struct ExportRequest {
  std::string output;   // "" for standard output
  std::string secrets;  // a folder for the secrets' files; "" to name variables
};

// Writes text to path, readable by its owner alone, never through a link
// planted where the file goes.
bool WriteOwnerOnlyFile(const std::filesystem::path& path, const std::string& text) {
#if defined(_WIN32)
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  return static_cast<bool>(file << text);
#else
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // A file that was there keeps its mode through O_CREAT: make it private.
  bool written = fchmod(fd, 0600) == 0;
  for (std::size_t done = 0; written && done < text.size();) {
    const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
    written = wrote > 0;
    if (written) done += static_cast<std::size_t>(wrote);
  }
  return close(fd) == 0 && written;
#endif
}

// A set secret as a reference: a file of its own in the secrets folder, or
// the environment variable apply will read it from. Nothing when its file
// cannot be written.
std::optional<Document> SecretReference(const ExportRequest& request, const std::string& instance,
                                        const InstanceField& field, const MSInfo& record) {
  if (request.secrets.empty()) return Document{{"env", SecretVariable(instance, field.option)}};
  KelString secret;
  const std::string option = field.option;
  if (option == "db-password") record.GetDBPswd(secret);
  if (option == "cms-password") record.GetCMSPswd(secret);
  if (option == "merchant-key") record.GetMerKey(secret);
  const std::filesystem::path path =
      std::filesystem::absolute(request.secrets) / (instance + "." + option);
  if (!WriteOwnerOnlyFile(path, std::string(static_cast<const char*>(secret)) + "\n")) {
    Host::Get().ErrorText("export: cannot write " + path.string());
    return std::nullopt;
  }
  return Document{{"file", path.string()}};
}

// Every field the record has, but empty texts and unset secrets.
std::optional<Document> InstanceDocument(const ExportRequest& request, const MSInfo& record) {
  Document instance = {{"name", record.GetName()}};
  for (const InstanceField& field : InstanceFields()) {
    const nlohmann::json value = field.show(record);
    const bool secret = field.kind == FieldKind::kSecret;
    if (std::string(field.option) == "name" || value == "" || (secret && value == "unset")) {
      continue;
    }
    if (!secret) {
      instance[field.option] = value;
      continue;
    }
    std::optional<Document> reference = SecretReference(request, record.GetName(), field, record);
    if (!reference) return std::nullopt;
    instance[field.option] = std::move(*reference);
  }
  return instance;
}

// "0750": the permission bits of a mode.
std::string ModeText(std::filesystem::perms mode) {
  char text[8];
  std::snprintf(text, sizeof text, "0%03o",
                static_cast<unsigned>(mode & std::filesystem::perms::all));
  return text;
}

// Whether anyone but the owner may enter, read or write a folder of that
// mode. Windows keeps access in lists that the mode does not show: there
// the folder is taken as it is.
bool OpenToOthers(std::filesystem::perms mode) {
#if defined(_WIN32)
  (void)mode;
  return false;
#else
  using std::filesystem::perms;
  return (mode & (perms::group_all | perms::others_all)) != perms::none;
#endif
}

// A missing secrets folder is made the owner's alone. One that is there is
// left as it is, and refused when it is open to others: the secrets written
// there would be theirs too.
int PrepareSecretsFolder(const std::string& folder) {
  namespace fs = std::filesystem;
  Host& host = Host::Get();
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (fs::exists(status)) {
    if (!fs::is_directory(status)) {
      host.ErrorText("export: the secrets folder " + folder + " is not a folder");
      return kExitUsage;
    }
    if (OpenToOthers(status.permissions())) {
      host.ErrorText("export: the secrets folder " + folder + " is open to others than its "
                     "owner (mode " + ModeText(status.permissions()) + "): secrets written "
                     "there would be exposed; make it private (chmod 700) or name a new folder");
      return kExitRefused;
    }
    return kExitDone;
  }
  fs::create_directories(folder, error);
  // Nothing is written into it before it is private.
  if (!error) fs::permissions(folder, fs::perms::owner_all, error);
  if (error) {
    host.ErrorText("export: cannot make the secrets folder " + folder);
    return kExitFailed;
  }
  return kExitDone;
}

int Export(Context& context, const ExportRequest& request) {
  Host& host = Host::Get();
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kRead)) return code;
  if (!request.secrets.empty()) {
    if (const int code = PrepareSecretsFolder(request.secrets)) return code;
  }
  Document instances = Document::array();
  Document running = Document::array();
  nlohmann::json leftOut = nlohmann::json::array();
  bool databases = true;
  MSList& list = data.List();
  for (int i = 0; i < list.GetCount(); ++i) {
    MSInfo record;
    list.SetIndex(i);
    list.GetCurrent(record);
    const InstanceState state = QueryInstanceState(record);
    if (!state.created) {
      host.Note("instance " + std::string(record.GetName()) +
                " is not created: it is left out, as applying the file would create it");
      leftOut.push_back(record.GetName());
      continue;
    }
    std::optional<Document> instance = InstanceDocument(request, record);
    if (!instance) return kExitFailed;
    instances.push_back(std::move(*instance));
    if (state.running) running.push_back(record.GetName());
    databases = databases && state.database;
  }
  const Document document = {{"instances", instances},
                         {"webconf", true},
                         {"databases", databases && !instances.empty()},
                         {"running", running}};
  const std::string text = document.dump(2) + "\n";
  if (request.output.empty()) {
    host.Line(text.substr(0, text.size() - 1));
  } else if (!(std::ofstream(request.output, std::ios::binary) << text)) {
    host.ErrorText("export: cannot write " + request.output);
    return kExitFailed;
  } else {
    host.Note("the machine's desired state is in " + request.output);
  }
  host.Result()["state"] = nlohmann::json::parse(text);
  host.Result()["left_out"] = leftOut;
  return kExitDone;
}

}  // namespace

void AddExportCommand(CLI::App& app, Context& context) {
  auto exported = std::make_shared<ExportRequest>();
  CLI::App* exporter = app.add_subcommand(
      "export", "Write the desired-state file that describes the machine as it is");
  exporter->add_option("-o,--output", exported->output, "the file (default: standard output)")
      ->type_name("FILE");
  exporter->add_option("--secrets", exported->secrets,
                       "write each secret to a file of its own in DIR (made private when "
                       "missing; refused when others may use it) and refer to it (default: "
                       "refer to an environment variable per secret)")
      ->type_name("DIR");
  exporter->callback([&context, exported] {
    context.Choose("export", [&context, exported] { return Export(context, *exported); });
  });
}

}  // namespace orvanectl
