// A change set in a file, so that a program started for a step (which
// records in its own process) can hand what it changed, or would change, to
// the host that started it.
//
// The file is a line "orvane change set 1", then one record per change: a
// letter for its kind and its fields, each field "<length>:<bytes>" (absent
// optional fields "-"), so any byte of a path or a file's content survives;
// the letter "E" ends it, so that a cut file is told from a short one.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "orvane/os/ChangeRecorder.h"

namespace orvane::os {

namespace {

constexpr char kHeader[] = "orvane change set 1\n";

class Writer {
 public:
  explicit Writer(std::FILE* out) : m_out(out) {}
  void Raw(const char* text) { m_ok = m_ok && std::fputs(text, m_out) >= 0; }
  void Kind(char kind) { m_ok = m_ok && std::fputc(kind, m_out) != EOF; }
  void Text(const std::string& text) {
    m_ok = m_ok && std::fprintf(m_out, "%zu:", text.size()) > 0 &&
           std::fwrite(text.data(), 1, text.size(), m_out) == text.size();
  }
  void Optional(const std::optional<std::string>& text) {
    if (text) {
      Text(*text);
    } else {
      m_ok = m_ok && std::fputc('-', m_out) != EOF;
    }
  }
  void Number(unsigned long number) { Text(std::to_string(number)); }
  void Value(const std::optional<RegistryValue>& value) {
    Optional(value ? std::optional<std::string>(
                         std::to_string(static_cast<unsigned long>(value->type)) + ":" +
                         std::string(value->data.begin(), value->data.end()))
                   : std::nullopt);
  }
  void Config(const std::optional<ServiceConfig>& config) {
    Number(config ? 1 : 0);
    if (!config) return;
    Number(config->serviceType);
    Number(static_cast<unsigned long>(config->startType));
    Number(config->errorControl);
    Text(config->binaryPath);
    Text(config->displayName);
    Text(config->account);
  }
  bool ok() const { return m_ok; }

 private:
  std::FILE* m_out;
  bool m_ok = true;
};

class Reader {
 public:
  explicit Reader(std::FILE* in) : m_in(in) {}
  bool Raw(const char* text) {
    for (; *text != '\0'; ++text) {
      if (std::fgetc(m_in) != static_cast<unsigned char>(*text)) return false;
    }
    return true;
  }
  // The next record's kind letter; 0 at the end or on damage.
  char Kind() {
    const int c = std::fgetc(m_in);
    return c == EOF || !m_ok ? 0 : static_cast<char>(c);
  }
  std::optional<std::string> Optional() {
    const int c = std::fgetc(m_in);
    if (c == '-') return std::nullopt;
    if (c == EOF) {
      Fail();
      return std::nullopt;
    }
    std::ungetc(c, m_in);
    return Text();
  }
  std::string Text() {
    std::size_t length = 0;
    for (int c = std::fgetc(m_in); c != ':'; c = std::fgetc(m_in)) {
      if (c < '0' || c > '9' || length > (std::size_t{1} << 40)) {
        Fail();
        return {};
      }
      length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    // Read in pieces: a damaged length must not allocate more than the file holds.
    std::string text;
    char buffer[65536];
    while (text.size() < length) {
      const std::size_t want = std::min(sizeof buffer, length - text.size());
      if (std::fread(buffer, 1, want, m_in) != want) {
        Fail();
        return {};
      }
      text.append(buffer, want);
    }
    return text;
  }
  unsigned long Number() {
    const std::string text = Text();
    char* end = nullptr;
    const unsigned long number = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0') Fail();
    return number;
  }
  std::optional<RegistryValue> Value() {
    const std::optional<std::string> text = Optional();
    if (!text) return std::nullopt;
    const std::size_t colon = text->find(':');
    if (colon == std::string::npos) {
      Fail();
      return std::nullopt;
    }
    RegistryValue value;
    value.type = static_cast<ValueType>(std::strtoul(text->substr(0, colon).c_str(), nullptr, 10));
    value.data.assign(text->begin() + static_cast<std::ptrdiff_t>(colon) + 1, text->end());
    return value;
  }
  std::optional<ServiceConfig> Config() {
    if (Number() == 0) return std::nullopt;
    ServiceConfig config;
    config.serviceType = Number();
    config.startType = static_cast<StartType>(Number());
    config.errorControl = Number();
    config.binaryPath = Text();
    config.displayName = Text();
    config.account = Text();
    return config;
  }
  bool ok() const { return m_ok; }

 private:
  void Fail() { m_ok = false; }
  std::FILE* m_in;
  bool m_ok = true;
};

}  // namespace

bool SaveChangeSet(const ChangeSet& changes, std::FILE* out) {
  Writer writer(out);
  writer.Raw(kHeader);
  for (const FileChange& file : changes.files) {
    writer.Kind('F');
    writer.Text(file.path);
    writer.Optional(file.before);
    writer.Optional(file.after);
    writer.Number(static_cast<unsigned long>(file.newFileMode));
  }
  for (const DirectoryChange& directory : changes.directories) {
    writer.Kind('D');
    writer.Text(directory.path);
    writer.Number(directory.created ? 1 : 0);
  }
  for (const ModeChange& mode : changes.modes) {
    writer.Kind('M');
    writer.Text(mode.path);
    writer.Number(static_cast<unsigned long>(mode.mode));
  }
  for (const RegistryChange& change : changes.registry) {
    writer.Kind('R');
    writer.Number(change.root == RegistryRoot::kLocalMachine ? 0 : 1);
    writer.Text(change.key);
    writer.Optional(change.value);
    writer.Value(change.before);
    writer.Value(change.after);
  }
  for (const ServiceChange& change : changes.services) {
    writer.Kind('S');
    writer.Text(change.name);
    writer.Config(change.before);
    writer.Config(change.after);
    writer.Number(static_cast<unsigned long>(change.stateBefore));
    writer.Number(static_cast<unsigned long>(change.stateAfter));
  }
  for (const DataSourceChange& change : changes.dataSources) {
    writer.Kind('O');
    writer.Number(static_cast<unsigned long>(change.request));
    writer.Text(change.driver);
    writer.Number(change.attributes.size());
    for (const std::string& attribute : change.attributes) writer.Text(attribute);
  }
  for (const ProgramRun& run : changes.programs) {
    writer.Kind('P');
    writer.Text(run.commandLine);
    writer.Text(run.workingDirectory);
    writer.Number(run.piped ? 1 : 0);
  }
  for (const StartupItemChange& item : changes.startupItems) {
    writer.Kind('U');
    writer.Text(item.displayName);
  }
  writer.Kind('E');
  return writer.ok() && std::fflush(out) == 0;
}

std::optional<ChangeSet> LoadChangeSet(std::FILE* in) {
  Reader reader(in);
  if (!reader.Raw(kHeader)) return std::nullopt;
  ChangeSet changes;
  for (char kind = reader.Kind(); kind != 0; kind = reader.Kind()) {
    switch (kind) {
      case 'F': {
        FileChange file;
        file.path = reader.Text();
        file.before = reader.Optional();
        file.after = reader.Optional();
        file.newFileMode = static_cast<int>(reader.Number());
        changes.files.push_back(std::move(file));
        break;
      }
      case 'D': {
        DirectoryChange directory;
        directory.path = reader.Text();
        directory.created = reader.Number() != 0;
        changes.directories.push_back(std::move(directory));
        break;
      }
      case 'M': {
        ModeChange mode;
        mode.path = reader.Text();
        mode.mode = static_cast<int>(reader.Number());
        changes.modes.push_back(std::move(mode));
        break;
      }
      case 'R': {
        RegistryChange change;
        change.root = reader.Number() == 0 ? RegistryRoot::kLocalMachine : RegistryRoot::kCurrentUser;
        change.key = reader.Text();
        change.value = reader.Optional();
        change.before = reader.Value();
        change.after = reader.Value();
        changes.registry.push_back(std::move(change));
        break;
      }
      case 'S': {
        ServiceChange change;
        change.name = reader.Text();
        change.before = reader.Config();
        change.after = reader.Config();
        change.stateBefore = static_cast<ServiceState>(reader.Number());
        change.stateAfter = static_cast<ServiceState>(reader.Number());
        changes.services.push_back(std::move(change));
        break;
      }
      case 'O': {
        DataSourceChange change;
        change.request = static_cast<DataSourceRequest>(reader.Number());
        change.driver = reader.Text();
        for (unsigned long count = reader.Number(); count > 0 && reader.ok(); --count) {
          change.attributes.push_back(reader.Text());
        }
        changes.dataSources.push_back(std::move(change));
        break;
      }
      case 'P': {
        ProgramRun run;
        run.commandLine = reader.Text();
        run.workingDirectory = reader.Text();
        run.piped = reader.Number() != 0;
        changes.programs.push_back(std::move(run));
        break;
      }
      case 'U':
        changes.startupItems.push_back({reader.Text()});
        break;
      case 'E':
        // Nothing may follow the end.
        return reader.ok() && std::fgetc(in) == EOF ? std::optional<ChangeSet>(std::move(changes))
                                                    : std::nullopt;
      default:
        return std::nullopt;
    }
    if (!reader.ok()) return std::nullopt;
  }
  return std::nullopt;  // cut before its end
}

}  // namespace orvane::os
