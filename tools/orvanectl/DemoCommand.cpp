// demo: the road of one instance on a fresh sample machine, each step the
// orvanectl command a user would type, then what the steps produced.
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <system_error>
#include <vector>

#include "Commands.h"
#include "Host.h"
#include "ProgramRun.h"
#include "orvane/os/Files.h"

namespace orvanectl {

namespace {

// The steps, as typed after "orvanectl --machine DIR".
const std::vector<std::vector<std::string>>& DemoSteps() {
  static const std::vector<std::vector<std::string>> steps = {
      {"machine", "init", "--sample"},
      {"add", "shop1", "--host", "shop1.example", "--db-user", "shopusr", "--db-owner", "tqadmin",
       "--db-password", "demo-pw1"},
      {"create", "shop1"},
      {"webconf"},
      {"db", "create", "shop1"},
      {"start", "shop1"},
      {"list"},
  };
  return steps;
}

// What the road produced, by where it lies on the machine.
struct Product {
  const char* what;
  const char* directory;
  const char* pattern;
};
const Product kProducts[] = {
    {"instance configuration files", "C:\\WWW\\html\\shop1", "*.ini"},
    {"instance directories", "C:\\Tessaly\\instance\\shop1", "*"},
    {"web server configuration", "C:\\WINNT", "*.cnf"},
    {"database logs", "C:\\Tessaly\\instance\\shop1\\logs", "*"},
};

// Lines of a file on the machine that contain needle.
std::vector<std::string> LinesWith(const std::string& path, const std::string& needle) {
  std::vector<std::string> lines;
  std::FILE* file = orvane::os::OpenFile(path, "r");
  if (file == nullptr) return lines;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
    std::string line = buffer;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.find(needle) != std::string::npos) lines.push_back(line);
  }
  std::fclose(file);
  return lines;
}

void ShowProducts() {
  Host& host = Host::Get();
  nlohmann::json produced = nlohmann::json::object();
  host.Line("");
  host.Line("What the road produced:");
  for (const Product& product : kProducts) {
    auto entries = orvane::os::ListDirectory(product.directory, product.pattern);
    std::string names;
    nlohmann::json list = nlohmann::json::array();
    if (entries.ok()) {
      for (const auto& entry : *entries) {
        names += " " + entry.name + (entry.isDirectory ? "\\" : "");
        list.push_back(entry.name);
      }
    }
    host.Line(std::string("  ") + product.what + " in " + product.directory + ":" + names);
    produced[product.what] = list;
  }
  const std::vector<std::string> services =
      LinesWith("C:\\WINNT\\system32\\drivers\\etc\\services", "tqshop1");
  host.Line("  TCP service entries: " + std::to_string(services.size()) + ", the first " +
            (services.empty() ? std::string("-") : services.front()));
  const std::vector<std::string> hostLines = LinesWith("C:\\WINNT\\httpd.cnf", "shop1");
  host.Line("  httpd.cnf lines for the instance: " + std::to_string(hostLines.size()));
  for (const std::string& line : hostLines) host.Line("    " + line);
  produced["tcp services"] = services;
  produced["httpd.cnf"] = hostLines;
  host.Result()["produced"] = produced;
}

int Demo(const std::string& requested) {
  Host& host = Host::Get();
  std::error_code error;
  std::string root = requested;
  if (root.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path(error) / "orvane-demo-XXXXXX").string();
#if defined(_WIN32)
    host.ErrorText("demo needs a folder for its emulated machine");
    return kExitUsage;
#else
    if (mkdtemp(pattern.data()) == nullptr) {
      host.ErrorText("cannot make a temporary folder from " + pattern);
      return kExitFailed;
    }
    root = pattern;
#endif
  }
  root = std::filesystem::absolute(root, error).string();
  std::optional<std::string> self = FindSiblingProgram("orvanectl", "");
  if (!self) {
    host.ErrorText("cannot find orvanectl itself");
    return kExitFailed;
  }
  host.Line("A fresh sample machine in " + root);
  nlohmann::json steps = nlohmann::json::array();
  for (const std::vector<std::string>& step : DemoSteps()) {
    std::vector<std::string> arguments = {"--machine", root};
    arguments.insert(arguments.end(), step.begin(), step.end());
    std::string typed = "orvanectl";
    for (const std::string& word : step) typed += " " + word;
    host.Line("");
    host.Line("$ " + typed);
    std::optional<ProgramResult> run = RunProgram(*self, arguments);
    std::istringstream output(run ? run->output : std::string());
    for (std::string line; std::getline(output, line);) host.Line("  " + line);
    steps.push_back({{"command", typed}, {"exit", run ? run->exitCode : -1},
                     {"output", run ? run->output : std::string()}});
    host.Result()["steps"] = steps;
    if (!run || run->exitCode != 0) {
      host.ErrorText("the demo stopped at: " + typed);
      return kExitFailed;
    }
  }
#if !defined(_WIN32)
  // The products are read here, on the demo's machine.
  setenv("ORVANE_MACHINE", root.c_str(), 1);
#endif
  ShowProducts();
  host.Line("");
  host.Line("The machine stays in " + root + "; try: orvanectl --machine " + root + " show shop1");
  host.Result()["machine"] = root;
  return kExitDone;
}

}  // namespace

void AddDemoCommand(CLI::App& app, Context& context) {
  auto folder = std::make_shared<std::string>();
  CLI::App* demo = app.add_subcommand(
      "demo", "Define, create, configure and start an instance on a fresh sample machine");
  demo->add_option("DIR", *folder, "where the machine goes (default: a new temporary folder)")
      ->type_name("DIR");
  demo->callback([&context, folder] {
    context.Choose("demo", [folder] { return Demo(*folder); }, false);
  });
}

}  // namespace orvanectl
