// The emulated machine's registry in memory, and its text form: the format
// that the Windows registry editor exports and imports.
//
// Text form, as read:
//
//   REGEDIT4                                    (or "Windows Registry Editor
//                                                 Version 5.00")
//   [HKEY_LOCAL_MACHINE\SOFTWARE\VXR]
//   ;class="Quivo client/server connection"
//   @="the default value"
//   "Path"="C:\\VXR"                            REG_SZ; \\ and \" escaped, \n
//                                                 and \r read as line ends
//   "Count"=dword:0000000a                      REG_DWORD
//   "Blob"=hex:01,02,ff                         REG_BINARY
//   "Expand"=hex(2):25,41,25,00                 any type N as hex(N):
//   "Long"=hex(7):41,00,\                       a trailing backslash continues
//     00                                        the bytes on the next line
//   "Gone"=-                                    deletes a value
//   [-HKEY_LOCAL_MACHINE\SOFTWARE\Old]          deletes a key and its subtree
//
// The text is 8-bit in the ANSI code page (Windows-1252) with CR LF or LF
// line ends, or UTF-16 LE with a byte-order mark as the registry editor
// exports it; UTF-16 text is converted to 8-bit on reading. Under the
// "Version 5.00" header the bytes of hex(1), hex(2) and hex(7) values are
// UTF-16 LE, as the registry editor has them, and are converted to the ANSI
// bytes that the seam keeps; under "REGEDIT4" they are taken as they are.
// Lines starting with ";" are comments, except the key class line.
//
// Key classes have no notation in the registry editor's format. Here a key's
// class is the comment line ;class="..." (quoted and escaped as a string
// value) inside the key's block; the writer puts it right after the key's
// header. The registry editor itself ignores the line as a comment.
//
// The writer produces the registry editor's ANSI form, which every version
// of the editor (and Wine's) imports the same way: "REGEDIT4", 8-bit text,
// CR LF line ends, the hex data of every value as the ANSI bytes it holds,
// and text with a line end in it as hex(1) bytes rather than escaped. A
// block for every key (intermediate keys included), keys in Windows order,
// values in the order they were first set. Its output parses back to the
// same tree.
#ifndef ORVANE_OS_POSIX_REGISTRYFILE_H_
#define ORVANE_OS_POSIX_REGISTRYFILE_H_

#include <string>
#include <vector>

#include "orvane/os/Registry.h"

namespace orvane::os::posix {

// Windows' order of key names: ASCII letters compared as upper case (so "_"
// sorts after the letters), other bytes by value. Negative, zero, positive.
int CompareRegistryNames(const std::string& a, const std::string& b);
// Case folding keeps the length: names of different lengths differ at once.
inline bool RegistryNamesEqual(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareRegistryNames(a, b) == 0;
}

// The deepest nesting of keys (hive root included) that the registry holds.
constexpr size_t kMaxRegistryDepth = 512;

struct NamedValue {
  std::string name;  // "" for the key's default value
  RegistryValue value;
};

// A key: its name as first spelt, its class, its values in the order they
// were first set, and its subkeys in Windows order. The unnamed node at the
// top of a tree holds the hives (HKEY_LOCAL_MACHINE, ...) as its subkeys.
//
// Names are matched without regard to case. References to subkeys stay
// valid only until a subkey is added to or removed from the same parent.
class RegistryNode {
 public:
  RegistryNode() = default;
  RegistryNode(std::string name, std::string keyClass)
      : m_name(std::move(name)), m_class(std::move(keyClass)) {}

  const std::string& name() const { return m_name; }
  const std::string& keyClass() const { return m_class; }
  void setKeyClass(std::string keyClass) { m_class = std::move(keyClass); }
  const std::vector<NamedValue>& values() const { return m_values; }
  const std::vector<RegistryNode>& subkeys() const { return m_subkeys; }

  const RegistryNode* FindSubkey(const std::string& name) const;
  RegistryNode* FindSubkey(const std::string& name);
  // The subkey of that name; when missing it is created with keyClass and
  // *created (when given) is set.
  RegistryNode& AddSubkey(const std::string& name, const std::string& keyClass,
                          bool* created = nullptr);
  // False when there is no such subkey.
  bool RemoveSubkey(const std::string& name);

  // The key at a path of names below this one (this one for an empty path).
  const RegistryNode* FindPath(const std::vector<std::string>& path) const;
  RegistryNode* FindPath(const std::vector<std::string>& path);

  const RegistryValue* FindValue(const std::string& name) const;
  // Sets a value; an existing one keeps its spelling and its place.
  void SetValue(const std::string& name, RegistryValue value);
  // The same unless the value holds that already; true when it changed.
  bool ChangeValue(const std::string& name, RegistryValue value);
  // Adds a value that the caller knows the key does not hold, without
  // looking for it.
  void AppendValue(const std::string& name, RegistryValue value);
  // False when there is no such value.
  bool RemoveValue(const std::string& name);

  // Takes the values and subkeys of other; keeps this key's name and class.
  void ReplaceContent(RegistryNode other);

  // Same spellings, classes, values (in order) and subkeys, all the way down.
  bool operator==(const RegistryNode& other) const;
  bool operator!=(const RegistryNode& other) const { return !(*this == other); }

 private:
  std::string m_name;
  std::string m_class;
  std::vector<NamedValue> m_values;
  std::vector<RegistryNode> m_subkeys;
};

// Parses registry editor text and merges it into tree (the unnamed top
// node): keys are created, values set, deletions applied. On malformed text
// returns false with *error = "<sourceName>:<line>: <what is wrong>"; the
// tree may then be partly changed, so parse into a copy when that matters.
// Text without any non-blank line is an empty registry. When firstKeyPath
// is given it receives the names of the first key header (empty when none).
bool ParseRegistryText(const std::string& text, const std::string& sourceName,
                       RegistryNode* tree, std::string* error,
                       std::vector<std::string>* firstKeyPath = nullptr);

// The whole tree (the unnamed top node) as registry editor text.
std::string WriteRegistryText(const RegistryNode& tree);

// One key and its subtree as registry editor text, as the registry editor
// exports a branch: keyPath names the key from its hive down ("HKEY_...",
// ..., the key's own name) and starts every header.
std::string WriteRegistryKeyText(const RegistryNode& key, const std::vector<std::string>& keyPath);

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_REGISTRYFILE_H_
