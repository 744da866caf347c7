// A stand-in for the web server's administration programs in the end-to-end
// tests of sslkeys, built for every platform the tests run on. Each run
// records, in a numbered folder under the folder that RECORDER_CALLS names:
// the name it was started under, its environment, its standard input and a
// listing of the folder that RECORDER_LISTED names (one name a line, sorted);
// then it prints one line to standard output and one to standard error.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <string>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
extern char** environ;
#endif

namespace {

namespace fs = std::filesystem;

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The program's name as it was started, without its folder.
std::string ProgramName(const char* argv0) {
  const std::string path = argv0;
  const std::string::size_type separator = path.find_last_of("\\/");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

void WriteEnvironment(std::ostream& out) {
#if defined(_WIN32)
  char* block = ::GetEnvironmentStringsA();
  for (const char* entry = block; *entry != '\0'; entry += std::char_traits<char>::length(entry) + 1) {
    out << entry << '\n';
  }
  ::FreeEnvironmentStringsA(block);
#else
  for (char** entry = environ; *entry != nullptr; ++entry) out << *entry << '\n';
#endif
}

void WriteListing(const fs::path& folder, std::ostream& out) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    names.insert(entry.path().filename().string());
  }
  for (const std::string& name : names) out << name << '\n';
}

}  // namespace

int main(int, char** argv) {
#if defined(_WIN32)
  // Bytes as they come and go, as on the emulated machine.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  const fs::path calls = Variable("RECORDER_CALLS");
  std::error_code error;
  fs::create_directories(calls, error);
  int number = 1;
  while (fs::exists(calls / std::to_string(number))) ++number;
  const fs::path call = calls / std::to_string(number);
  fs::create_directory(call, error);

  const std::string program = ProgramName(argv[0]);
  std::ofstream(call / "program", std::ios::binary) << program;
  std::ofstream environment(call / "environment", std::ios::binary);
  WriteEnvironment(environment);
  std::ofstream listing(call / "listing", std::ios::binary);
  WriteListing(Variable("RECORDER_LISTED"), listing);
  std::ofstream(call / "input", std::ios::binary)
      << std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());

  std::printf("%s output %d\n", program.c_str(), number);
  std::fprintf(stderr, "%s error %d\n", program.c_str(), number);
  return 0;
}
