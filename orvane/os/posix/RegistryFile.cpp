#include "orvane/os/posix/RegistryFile.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <unordered_set>

namespace orvane::os::posix {

namespace {

unsigned char UpperByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// The name as CompareRegistryNames sees it: equal names give equal texts.
std::string UpperCaseName(std::string name) {
  for (char& c : name) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
  return name;
}

// ---------------------------------------------------------------------------
// The ANSI code page (Windows-1252) and UTF-16 LE.

// The characters of bytes 0x80..0x9F; the five bytes that Windows-1252 leaves
// undefined map to the control characters of the same number, as Windows
// converts them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

unsigned char AnsiOfUnit(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<unsigned char>(unit);
  for (unsigned char i = 0; i < 32; ++i) {
    if (kCp1252High[i] == unit) return static_cast<unsigned char>(0x80 + i);
  }
  return '?';
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

// UTF-16 LE bytes from offset on, as ANSI bytes: a character outside the
// code page (a surrogate pair counting as one) becomes "?"; an odd last byte
// is kept as it is.
std::string AnsiOfUtf16(const unsigned char* bytes, size_t size) {
  std::string ansi;
  ansi.reserve(size / 2 + 1);
  size_t i = 0;
  for (; i + 1 < size; i += 2) {
    char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (IsHighSurrogate(unit) && i + 3 < size &&
        IsLowSurrogate(static_cast<char16_t>(bytes[i + 2] | (bytes[i + 3] << 8)))) {
      i += 2;
    }
    ansi.push_back(static_cast<char>(AnsiOfUnit(unit)));
  }
  if (i < size) ansi.push_back(static_cast<char>(bytes[i]));
  return ansi;
}

// The text as 8-bit characters: UTF-16 LE with its byte-order mark is
// converted into *converted, a UTF-8 byte-order mark (some editors add one)
// is dropped. The result views text or *converted.
std::string_view EightBitText(const std::string& text, std::string* converted) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  if (text.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    *converted = AnsiOfUtf16(bytes + 2, text.size() - 2);
    return *converted;
  }
  if (text.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    return std::string_view(text).substr(3);
  }
  return text;
}

// Under the "Version 5.00" header the string types' hex bytes are UTF-16.
bool IsStringType(unsigned long type) {
  return type == static_cast<unsigned long>(ValueType::kString) ||
         type == static_cast<unsigned long>(ValueType::kExpandString) ||
         type == static_cast<unsigned long>(ValueType::kMultiString);
}

// ---------------------------------------------------------------------------
// Reading.

constexpr char kVersion5Header[] = "Windows Registry Editor Version 5.00";
constexpr char kVersion4Header[] = "REGEDIT4";
constexpr char kClassPrefix[] = ";class=";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A number of one to eight hex digits.
bool ParseHexNumber(std::string_view digits, unsigned long* number) {
  if (digits.empty() || digits.size() > 8) return false;
  unsigned long result = 0;
  for (char c : digits) {
    int digit = HexDigit(c);
    if (digit < 0) return false;
    result = result * 16 + static_cast<unsigned long>(digit);
  }
  *number = result;
  return true;
}

bool StartsWithIgnoringCase(std::string_view text, size_t pos, const char* prefix) {
  for (size_t i = 0; prefix[i] != '\0'; ++i) {
    if (pos + i >= text.size() || UpperByte(text[pos + i]) != UpperByte(prefix[i])) return false;
  }
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The line without the blanks, tabs and CRs at its ends. Most lines have
// none, and every hex byte goes through here: a plain loop beats a search.
std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line;
}

// The lines of text, each without the blanks, tabs and CRs at its ends.
std::vector<std::string_view> TrimmedLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = std::min(text.find('\n'), text.size());
    lines.push_back(Trimmed(text.substr(0, end)));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

class Parser {
 public:
  Parser(const std::string& text, const std::string& sourceName, RegistryNode* tree,
         std::vector<std::string>* firstKeyPath)
      : m_lines(TrimmedLines(EightBitText(text, &m_converted))),
        m_sourceName(sourceName),
        m_tree(tree),
        m_firstKeyPath(firstKeyPath) {}

  bool Run(std::string* error);

 private:
  bool Fail(const std::string& what);
  bool ParseLine(std::string_view line);
  bool ParseFormatLine(std::string_view line);
  bool ParseKeyLine(std::string_view line);
  bool ParseClassLine(std::string_view line);
  bool ParseValueLine(std::string_view line);
  bool ParseQuoted(std::string_view line, size_t* pos, std::string* text);
  bool ParseData(std::string_view line, size_t pos, RegistryValue* value);
  bool ParseHexData(std::string_view firstLine, unsigned long type, RegistryValue* value);
  bool SplitKeyPath(std::string_view path, std::vector<std::string>* names);
  bool IsNewInBlock(const std::string& name);

  // The 8-bit form of a UTF-16 text; the lines view it, or the text given.
  std::string m_converted;
  std::vector<std::string_view> m_lines;
  size_t m_lineIndex = 0;  // the line being parsed
  std::string m_sourceName;
  RegistryNode* m_tree;
  std::vector<std::string>* m_firstKeyPath;
  std::string m_error;
  bool m_sawFormat = false;
  bool m_unicodeStrings = false;
  bool m_sawKey = false;
  // The key that values go to; null after a key deletion header, whose
  // values are ignored, as the registry editor ignores them.
  RegistryNode* m_key = nullptr;
  // Whether m_key had no values when its block began; then its values are
  // those the block gave it. Past a few of them their names (folded to upper
  // case) are kept here too, so that a key of thousands of values is parsed
  // without comparing each name with all before it.
  bool m_keyWasEmpty = false;
  std::unordered_set<std::string> m_blockValueNames;
  // The names of the last key header, kept to reuse their storage.
  std::vector<std::string> m_keyNames;
};

bool Parser::Run(std::string* error) {
  if (m_firstKeyPath != nullptr) m_firstKeyPath->clear();
  for (m_lineIndex = 0; m_lineIndex < m_lines.size(); ++m_lineIndex) {
    const std::string_view line = m_lines[m_lineIndex];
    if (line.empty()) continue;
    if (!ParseLine(line)) {
      *error = m_error;
      return false;
    }
  }
  return true;
}

bool Parser::Fail(const std::string& what) {
  m_error = m_sourceName + ":" + std::to_string(m_lineIndex + 1) + ": " + what;
  return false;
}

bool Parser::ParseLine(std::string_view line) {
  if (!m_sawFormat) return ParseFormatLine(line);
  if (line.compare(0, sizeof kClassPrefix - 1, kClassPrefix) == 0) return ParseClassLine(line);
  switch (line[0]) {
    case ';':
      return true;
    case '[':
      return ParseKeyLine(line);
    case '"':
    case '@':
      return ParseValueLine(line);
    default:
      return Fail("neither a key, a value nor a comment: " + std::string(line.substr(0, 60)));
  }
}

bool Parser::ParseFormatLine(std::string_view line) {
  if (line == kVersion5Header) {
    m_unicodeStrings = true;
  } else if (line != kVersion4Header) {
    return Fail(std::string("not a registry file: the first line must be \"") + kVersion4Header +
                "\" or \"" + kVersion5Header + "\"");
  }
  m_sawFormat = true;
  return true;
}

bool Parser::SplitKeyPath(std::string_view path, std::vector<std::string>* names) {
  names->clear();
  size_t start = 0;
  while (true) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end == start) return Fail("empty key name in \"" + std::string(path.substr(0, 200)) + "\"");
    names->emplace_back(path.substr(start, end - start));
    if (names->size() > kMaxRegistryDepth) return Fail("keys nested too deeply");
    if (end == path.size()) return true;
    start = end + 1;
  }
}

bool Parser::ParseKeyLine(std::string_view line) {
  if (line.size() < 2 || line.back() != ']') return Fail("key header without closing \"]\"");
  std::string_view path = line.substr(1, line.size() - 2);
  bool deletion = !path.empty() && path[0] == '-';
  if (deletion) path.remove_prefix(1);
  std::vector<std::string>& names = m_keyNames;
  if (!SplitKeyPath(path, &names)) return false;
  m_sawKey = true;
  if (deletion) {
    std::string last = names.back();
    names.pop_back();
    if (RegistryNode* parent = m_tree->FindPath(names)) parent->RemoveSubkey(last);
    m_key = nullptr;
    return true;
  }
  RegistryNode* key = m_tree;
  for (const std::string& name : names) key = &key->AddSubkey(name, "");
  m_key = key;
  m_keyWasEmpty = key->values().empty();
  // A fresh set, not clear(): that would zero all the buckets that a large
  // key left, at every key after it.
  if (!m_blockValueNames.empty()) m_blockValueNames = std::unordered_set<std::string>();
  if (m_firstKeyPath != nullptr && m_firstKeyPath->empty()) *m_firstKeyPath = names;
  return true;
}

bool Parser::ParseClassLine(std::string_view line) {
  size_t pos = sizeof kClassPrefix - 1;
  std::string keyClass;
  if (pos >= line.size() || line[pos] != '"') return Fail("key class must be quoted");
  if (!ParseQuoted(line, &pos, &keyClass)) return false;
  if (pos != line.size()) return Fail("unexpected text after the key class");
  if (!m_sawKey) return Fail("key class before the first key");
  if (m_key != nullptr) m_key->setKeyClass(keyClass);
  return true;
}

// A quoted text from line[*pos] (the opening quote) on, with \\ and \"
// escaped, and \n and \r for the line ends that the editors escape; *pos
// ends after the closing quote.
bool Parser::ParseQuoted(std::string_view line, size_t* pos, std::string* text) {
  text->clear();
  size_t i = *pos + 1;
  while (i < line.size()) {
    // The run up to the next quote or backslash is copied whole.
    size_t special = i;
    while (special < line.size() && line[special] != '"' && line[special] != '\\') ++special;
    text->append(line.data() + i, special - i);
    if (special == line.size()) break;
    if (line[special] == '"') {
      *pos = special + 1;
      return true;
    }
    if (special + 1 >= line.size()) break;
    char c = line[special + 1];
    switch (c) {
      case '\\':
      case '"':
        break;
      case 'n':
        c = '\n';
        break;
      case 'r':
        c = '\r';
        break;
      default:
        return Fail("a backslash in quoted text must be written \\\\");
    }
    text->push_back(c);
    i = special + 2;
  }
  return Fail("missing closing quote");
}

bool Parser::ParseValueLine(std::string_view line) {
  size_t pos = 0;
  std::string name;
  if (line[0] == '@') {
    pos = 1;
  } else if (!ParseQuoted(line, &pos, &name)) {
    return false;
  }
  pos = line.find_first_not_of(" \t", pos);
  if (pos == std::string_view::npos || line[pos] != '=') {
    return Fail("\"=\" expected after the value name");
  }
  pos = line.find_first_not_of(" \t", pos + 1);
  if (pos == std::string_view::npos) return Fail("value data expected after \"=\"");
  if (!m_sawKey) return Fail("value before the first key");
  if (line.substr(pos) == "-") {
    if (m_key != nullptr) m_key->RemoveValue(name);
    return true;
  }
  RegistryValue value;
  if (!ParseData(line, pos, &value)) return false;
  if (m_key == nullptr) return true;
  if (IsNewInBlock(name)) {
    m_key->AppendValue(name, std::move(value));
  } else {
    m_key->SetValue(name, std::move(value));
  }
  return true;
}

// Whether m_key is known not to hold a value of that name (false when it may
// hold it): in a block that began with no values, the few it has are
// searched, beyond them the block's names are.
bool Parser::IsNewInBlock(const std::string& name) {
  constexpr size_t kSearched = 16;
  if (!m_keyWasEmpty) return false;
  const std::vector<NamedValue>& values = m_key->values();
  if (values.size() < kSearched) return m_key->FindValue(name) == nullptr;
  if (m_blockValueNames.empty()) {
    for (const NamedValue& value : values) m_blockValueNames.insert(UpperCaseName(value.name));
  }
  return m_blockValueNames.insert(UpperCaseName(name)).second;
}

bool Parser::ParseData(std::string_view line, size_t pos, RegistryValue* value) {
  if (line[pos] == '"') {
    std::string text;
    if (!ParseQuoted(line, &pos, &text)) return false;
    if (pos != line.size()) return Fail("unexpected text after the quoted value");
    *value = RegistryValue::String(text);
    return true;
  }
  if (StartsWithIgnoringCase(line, pos, "dword:")) {
    unsigned long number = 0;
    if (!ParseHexNumber(line.substr(pos + 6), &number)) {
      return Fail("dword: needs one to eight hex digits");
    }
    *value = RegistryValue::Dword(number);
    return true;
  }
  if (StartsWithIgnoringCase(line, pos, "hex:")) {
    return ParseHexData(line.substr(pos + 4), static_cast<unsigned long>(ValueType::kBinary),
                        value);
  }
  if (StartsWithIgnoringCase(line, pos, "hex(")) {
    size_t close = line.find("):", pos);
    unsigned long type = 0;
    if (close == std::string_view::npos ||
        !ParseHexNumber(line.substr(pos + 4, close - pos - 4), &type)) {
      return Fail("hex(N): needs a type number of one to eight hex digits");
    }
    return ParseHexData(line.substr(close + 2), type, value);
  }
  return Fail("unknown value data: " + std::string(line.substr(pos, 40)));
}

// Comma-separated bytes of one or two hex digits; a trailing backslash joins
// the next line. An empty list is no bytes; a final comma is allowed.
bool Parser::ParseHexData(std::string_view firstLine, unsigned long type, RegistryValue* value) {
  std::string bytesText(firstLine);
  const size_t firstLineIndex = m_lineIndex;
  while (!bytesText.empty() && bytesText.back() == '\\' && m_lineIndex + 1 < m_lines.size()) {
    bytesText.pop_back();
    bytesText += m_lines[++m_lineIndex];
  }
  if (!bytesText.empty() && bytesText.back() == '\\') bytesText.pop_back();
  std::vector<unsigned char> data;
  data.reserve(bytesText.size() / 3 + 1);
  size_t start = 0;
  while (start < bytesText.size()) {
    // Tokens are a few characters: a plain loop beats a search call.
    size_t end = start;
    while (end < bytesText.size() && bytesText[end] != ',') ++end;
    std::string_view token = Trimmed(std::string_view(bytesText).substr(start, end - start));
    unsigned long byte = 0;
    if (token.size() > 2 || !ParseHexNumber(token, &byte)) {
      m_lineIndex = firstLineIndex;
      return Fail("hex bytes must be comma-separated pairs of hex digits");
    }
    data.push_back(static_cast<unsigned char>(byte));
    start = end + 1;
  }
  value->type = static_cast<ValueType>(type);
  if (m_unicodeStrings && IsStringType(type)) {
    std::string ansi = AnsiOfUtf16(data.data(), data.size());
    value->data.assign(ansi.begin(), ansi.end());
  } else {
    value->data = std::move(data);
  }
  return true;
}

// ---------------------------------------------------------------------------
// Writing.

// Runs without a character to escape are copied whole: the writer of a
// large registry spends its time here.
void AppendQuoted(std::string* out, std::string_view text) {
  out->push_back('"');
  for (size_t start = 0; start < text.size();) {
    const size_t special = std::min(text.find_first_of("\\\"", start), text.size());
    out->append(text.data() + start, special - start);
    if (special == text.size()) break;
    out->push_back('\\');
    out->push_back(text[special]);
    start = special + 1;
  }
  out->push_back('"');
}

// A string value that the quoted form holds: text, one final NUL, no NUL
// or line end before it (the editors escape line ends in different ways, or
// not at all, so such text goes as hex(1) bytes).
bool FitsQuotedForm(const RegistryValue& value) {
  const std::vector<unsigned char>& data = value.data;
  if (value.type != ValueType::kString || data.empty() || data.back() != 0) return false;
  return std::find_if(data.begin(), data.end() - 1, [](unsigned char c) {
           return c == 0 || c == '\n' || c == '\r';
         }) == data.end() - 1;
}

// Lower-case hex digits of value, width of them, as "%0*lx" gives them; by
// hand, since the writer of a registry with many binary values formats them
// by the hundred thousand.
void AppendHexDigits(std::string* out, unsigned long value, int width) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (int shift = 4 * (width - 1); shift >= 0; shift -= 4) {
    out->push_back(kDigits[(value >> shift) & 0xf]);
  }
}

void AppendHexBytes(std::string* out, const std::vector<unsigned char>& bytes) {
  // The registry editor wraps hex data at about 80 columns.
  size_t column = out->size() - out->rfind('\n');
  for (size_t i = 0; i < bytes.size(); ++i) {
    AppendHexDigits(out, bytes[i], 2);
    column += 2;
    if (i + 1 == bytes.size()) break;
    out->push_back(',');
    if (++column > 76) {
      out->append("\\\r\n  ");
      column = 2;
    }
  }
}

void AppendValue(std::string* out, const NamedValue& named) {
  if (named.name.empty()) {
    out->push_back('@');
  } else {
    AppendQuoted(out, named.name);
  }
  out->push_back('=');
  const RegistryValue& value = named.value;
  auto type = static_cast<unsigned long>(value.type);
  if (FitsQuotedForm(value)) {
    // The quoted form holds the text before the final NUL.
    AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                       value.data.size() - 1));
  } else if (value.type == ValueType::kDword && value.data.size() == 4) {
    out->append("dword:");
    AppendHexDigits(out, value.AsDword(), 8);
  } else if (value.type == ValueType::kBinary) {
    out->append("hex:");
    AppendHexBytes(out, value.data);
  } else {
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%lx):", type);
    out->append(prefix);
    AppendHexBytes(out, value.data);
  }
  out->append("\r\n");
}

// path names the key; it is extended for the subkeys and given back as it was.
void AppendKey(std::string* out, const RegistryNode& key, std::string* path) {
  out->push_back('[');
  out->append(*path);
  out->append("]\r\n");
  if (!key.keyClass().empty()) {
    out->append(kClassPrefix);
    AppendQuoted(out, key.keyClass());
    out->append("\r\n");
  }
  for (const NamedValue& value : key.values()) AppendValue(out, value);
  out->append("\r\n");
  const size_t length = path->size();
  for (const RegistryNode& subkey : key.subkeys()) {
    path->push_back('\\');
    path->append(subkey.name());
    AppendKey(out, subkey, path);
    path->resize(length);
  }
}

std::string FormatLine() { return std::string(kVersion4Header) + "\r\n\r\n"; }

}  // namespace

int CompareRegistryNames(const std::string& a, const std::string& b) {
  size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    if (a[i] == b[i]) continue;  // most names share long runs of equal bytes
    unsigned char left = UpperByte(static_cast<unsigned char>(a[i]));
    unsigned char right = UpperByte(static_cast<unsigned char>(b[i]));
    if (left != right) return left < right ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

namespace {

template <class Subkeys>
auto LowerBound(Subkeys& subkeys, const std::string& name) {
  return std::lower_bound(subkeys.begin(), subkeys.end(), name,
                          [](const RegistryNode& node, const std::string& wanted) {
                            return CompareRegistryNames(node.name(), wanted) < 0;
                          });
}

}  // namespace

const RegistryNode* RegistryNode::FindSubkey(const std::string& name) const {
  auto found = LowerBound(m_subkeys, name);
  if (found == m_subkeys.end() || !RegistryNamesEqual(found->name(), name)) return nullptr;
  return &*found;
}

RegistryNode* RegistryNode::FindSubkey(const std::string& name) {
  return const_cast<RegistryNode*>(static_cast<const RegistryNode*>(this)->FindSubkey(name));
}

RegistryNode& RegistryNode::AddSubkey(const std::string& name, const std::string& keyClass,
                                      bool* created) {
  // Keys that come in Windows order, as a written registry has them, go at
  // the end without a search.
  const bool last = !m_subkeys.empty() && CompareRegistryNames(m_subkeys.back().name(), name) < 0;
  auto found = last ? m_subkeys.end() : LowerBound(m_subkeys, name);
  bool missing = found == m_subkeys.end() || !RegistryNamesEqual(found->name(), name);
  if (missing) found = m_subkeys.insert(found, RegistryNode(name, keyClass));
  if (created != nullptr) *created = missing;
  return *found;
}

bool RegistryNode::RemoveSubkey(const std::string& name) {
  auto found = LowerBound(m_subkeys, name);
  if (found == m_subkeys.end() || !RegistryNamesEqual(found->name(), name)) return false;
  m_subkeys.erase(found);
  return true;
}

const RegistryNode* RegistryNode::FindPath(const std::vector<std::string>& path) const {
  const RegistryNode* node = this;
  for (const std::string& name : path) {
    node = node->FindSubkey(name);
    if (node == nullptr) return nullptr;
  }
  return node;
}

RegistryNode* RegistryNode::FindPath(const std::vector<std::string>& path) {
  return const_cast<RegistryNode*>(static_cast<const RegistryNode*>(this)->FindPath(path));
}

const RegistryValue* RegistryNode::FindValue(const std::string& name) const {
  for (const NamedValue& named : m_values) {
    if (RegistryNamesEqual(named.name, name)) return &named.value;
  }
  return nullptr;
}

void RegistryNode::SetValue(const std::string& name, RegistryValue value) {
  for (NamedValue& named : m_values) {
    if (RegistryNamesEqual(named.name, name)) {
      named.value = std::move(value);
      return;
    }
  }
  AppendValue(name, std::move(value));
}

bool RegistryNode::ChangeValue(const std::string& name, RegistryValue value) {
  const RegistryValue* now = FindValue(name);
  if (now != nullptr && now->type == value.type && now->data == value.data) return false;
  SetValue(name, std::move(value));
  return true;
}

void RegistryNode::AppendValue(const std::string& name, RegistryValue value) {
  m_values.push_back(NamedValue{name, std::move(value)});
}

bool RegistryNode::RemoveValue(const std::string& name) {
  auto found = std::find_if(m_values.begin(), m_values.end(), [&](const NamedValue& named) {
    return RegistryNamesEqual(named.name, name);
  });
  if (found == m_values.end()) return false;
  m_values.erase(found);
  return true;
}

void RegistryNode::ReplaceContent(RegistryNode other) {
  m_values = std::move(other.m_values);
  m_subkeys = std::move(other.m_subkeys);
}

bool RegistryNode::operator==(const RegistryNode& other) const {
  if (m_name != other.m_name || m_class != other.m_class ||
      m_values.size() != other.m_values.size() || m_subkeys != other.m_subkeys) {
    return false;
  }
  for (size_t i = 0; i < m_values.size(); ++i) {
    const NamedValue& mine = m_values[i];
    const NamedValue& theirs = other.m_values[i];
    if (mine.name != theirs.name || mine.value.type != theirs.value.type ||
        mine.value.data != theirs.value.data) {
      return false;
    }
  }
  return true;
}

bool ParseRegistryText(const std::string& text, const std::string& sourceName,
                       RegistryNode* tree, std::string* error,
                       std::vector<std::string>* firstKeyPath) {
  return Parser(text, sourceName, tree, firstKeyPath).Run(error);
}

std::string WriteRegistryText(const RegistryNode& tree) {
  std::string out = FormatLine();
  for (const RegistryNode& hive : tree.subkeys()) {
    std::string path = hive.name();
    AppendKey(&out, hive, &path);
  }
  return out;
}

std::string WriteRegistryKeyText(const RegistryNode& key, const std::vector<std::string>& keyPath) {
  std::string path;
  for (const std::string& name : keyPath) path += (path.empty() ? "" : "\\") + name;
  std::string out = FormatLine();
  AppendKey(&out, key, &path);
  return out;
}

}  // namespace orvane::os::posix
