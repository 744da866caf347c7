#include "MachineChanges.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

#include "InstanceState.h"
#include "orvane/os/Files.h"

namespace orvanectl {

namespace {

// The entry lines of the machine's services file as they stand; none when
// it cannot be read.
std::set<std::string> EntryLines() { return ServiceEntryLines(ReadMachineFile(ServicesFilePath())); }

std::vector<std::string> StartTypes(const std::vector<std::string>& services) {
  std::vector<std::string> types;
  for (const std::string& service : services) types.push_back(ServiceStartType(service));
  return types;
}

nlohmann::json Difference(const std::set<std::string>& a, const std::set<std::string>& b) {
  nlohmann::json lines = nlohmann::json::array();
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(lines));
  return lines;
}

}  // namespace

std::string ServicesFilePath() {
  return orvane::os::WindowsDirectory() + "\\system32\\drivers\\etc\\services";
}

std::string ReadMachineFile(const std::string& path) {
  std::string bytes;
  std::FILE* file = orvane::os::OpenFile(path, "rb");
  if (file == nullptr) return bytes;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, got);
  std::fclose(file);
  return bytes;
}

std::set<std::string> ServiceEntryLines(std::string_view text) {
  std::set<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string_view entry = line.substr(0, line.find('#'));
    if (entry.find_first_not_of(" \t") != std::string_view::npos) lines.emplace(line);
    start = end + 1;
  }
  return lines;
}

MachineChanges::MachineChanges(std::vector<std::string> services)
    : m_services(std::move(services)), m_startTypes(StartTypes(m_services)),
      m_entries(EntryLines()) {}

void MachineChanges::Report(nlohmann::json& result) const {
  const std::set<std::string> entries = EntryLines();
  nlohmann::json& changes = result["changes"];
  changes["registered"] = Difference(entries, m_entries);
  changes["unregistered"] = Difference(m_entries, entries);
  nlohmann::json services = nlohmann::json::object();
  const std::vector<std::string> now = StartTypes(m_services);
  for (size_t i = 0; i < m_services.size(); ++i) {
    const std::string& before = m_startTypes[i];
    if (now[i] == before) continue;
    services[m_services[i]] = before.empty() ? "created"
                              : now[i].empty() ? "deleted"
                                               : before + " -> " + now[i];
  }
  changes["services"] = services;
}

}  // namespace orvanectl
