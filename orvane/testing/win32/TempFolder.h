// A fresh folder in the system's temporary directory, removed with everything
// in it when the object goes.
#ifndef ORVANE_TESTING_WIN32_TEMPFOLDER_H_
#define ORVANE_TESTING_WIN32_TEMPFOLDER_H_

#include <string>

namespace orvane::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder's Windows path, without a trailing backslash.
  const std::string& path() const { return m_path; }
  // path() + "\" + name.
  std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

 private:
  std::string m_path;
};

// Writes a file with exactly these bytes; false on failure.
bool WriteBytes(const std::string& path, const std::string& bytes);
// All bytes of a file; "" when it cannot be read.
std::string ReadBytes(const std::string& path);

}  // namespace orvane::testing

#endif  // ORVANE_TESTING_WIN32_TEMPFOLDER_H_
