// export: the desired-state file (see DesiredState.h) of the machine as it
// is, so that an existing installation can be brought under apply. Secrets
// are references: to files of their own, or to environment variables. A
// record whose instance was never created is left out: apply would create
// every instance the file names.
#include <orvane/orvane.h>

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
  if (!(std::ofstream(path, std::ios::binary | std::ios::trunc)
        << static_cast<const char*>(secret) << '\n')) {
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

int Export(Context& context, const ExportRequest& request) {
  Host& host = Host::Get();
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kRead)) return code;
  std::error_code error;
  if (!request.secrets.empty()) {
    // The folder is the owner's alone before a secret is written into it.
    std::filesystem::create_directories(request.secrets, error);
    std::filesystem::permissions(request.secrets, std::filesystem::perms::owner_all, error);
    if (error) {
      host.ErrorText("export: cannot make the secrets folder " + request.secrets);
      return kExitFailed;
    }
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
                       "write each secret to a file of its own in DIR and refer to it (default: "
                       "refer to an environment variable per secret)")
      ->type_name("DIR");
  exporter->callback([&context, exported] {
    context.Choose("export", [&context, exported] { return Export(context, *exported); });
  });
}

}  // namespace orvanectl
