// Takes arbitrary bytes as the services file and registers, then
// unregisters, one instance's service. Registering replaces the first entry
// of the name in place (or appends one on a line of its own) and changes no
// other line; unregistering removes every entry of the name and nothing
// else; each rewrite that changes the file leaves its previous bytes as the
// backup, and one that changes nothing leaves the backup alone. (Its seeds
// "nul-*" are lines holding a NUL byte, which once hid their line end: an
// entry then got an empty line in front of it.)
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/core/AsciiCase.h"
#include "orvane/platform/ServicesFile.h"
#include "orvane/testing/FuzzMachine.h"

namespace {

namespace fuzz = orvane::fuzz;

const std::string& ServicesPath() {
  static const std::string path = [] {
    KelString services;
    orvane::GetServicesFilePath(services);
    fuzz::MakeDirectories(std::string(services).substr(0, std::string(services).rfind('\\')));
    return std::string(services);
  }();
  return path;
}

// The line's first word, as far as the line reads (up to a NUL byte).
std::string FirstWord(const std::string& line) {
  const char* text = line.c_str();
  const char* start = text + std::strspn(text, " \t\r\n");
  return std::string(start, std::strcspn(start, " \t\r\n"));
}

bool IsEntryOf(const std::string& line, const std::string& name) {
  const std::string word = FirstWord(line);
  return !word.empty() && orvane::EqualsIgnoringCase(word.c_str(), name.c_str());
}

// A name the file may already hold: its first line's first word when that
// can be a service name, else one of our own.
std::string NameToRegister(const std::vector<std::string>& lines) {
  std::string word = lines.empty() ? std::string() : FirstWord(lines.front());
  for (char c : word) {
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F || c == '#') word.clear();
  }
  return word.empty() ? "tqshop_1" : word;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  fuzz::WriteFile(ServicesPath(), input);
  std::vector<std::string> lines = fuzz::Lines(fuzz::ReadFile(ServicesPath(), "r"));
  const std::string name = NameToRegister(lines);
  const int port = 16570 + static_cast<int>(size % 100);

  const std::string backup = ServicesPath() + ".old";
  fuzz::WriteFile(backup, fuzz::kUntouchedBackup);
  fuzz::Require(KelRegTcpService(name.c_str(), port, "fuzz") == 1);
  fuzz::RequireBackup(backup, input, ServicesPath());
  const std::string entry = orvane::TcpServiceEntryStart(name.c_str(), port) + "\t# fuzz\n";
  std::vector<std::string> expected = lines;
  bool replaced = false;
  for (std::string& line : expected) {
    if (!IsEntryOf(line, name)) continue;
    line = entry;
    replaced = true;
    break;
  }
  if (!replaced) {
    if (!expected.empty() && expected.back().back() != '\n') expected.back() += '\n';
    expected.push_back(entry);
  }
  const std::string registered = fuzz::ReadFile(ServicesPath(), "r");
  fuzz::Require(registered == Joined(expected));

  const std::string registeredBytes = fuzz::ReadFile(ServicesPath());
  fuzz::WriteFile(backup, fuzz::kUntouchedBackup);
  fuzz::Require(KelUnregTcpService(name.c_str()) == 1);
  std::vector<std::string> kept;
  for (const std::string& line : expected) {
    if (!IsEntryOf(line, name)) kept.push_back(line);
  }
  fuzz::Require(fuzz::ReadFile(ServicesPath(), "r") == Joined(kept));
  fuzz::RequireBackup(backup, registeredBytes, ServicesPath());
  return 0;
}
