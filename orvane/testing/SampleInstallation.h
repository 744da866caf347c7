// A small product installation laid out on the current machine (the one
// ORVANE_MACHINE names): the registry records of the product and of the
// products it works with, the pages, templates, macro files and programs that
// instance creation copies or rewrites, and an instance record that fits it.
//
// It is free of any test framework, so that tests, the command-line host's
// sample machine and benchmarks can all lay out the same installation. The
// contents of the programs and pages are placeholders; only their names and
// the template lines that creation rewrites matter.
#ifndef ORVANE_TESTING_SAMPLEINSTALLATION_H_
#define ORVANE_TESTING_SAMPLEINSTALLATION_H_

#include <string>
#include <vector>

#include "orvane/core/MSInfo.h"

namespace orvane::test {

class SampleInstallation {
 public:
  // Where the pieces go and which optional products are present; change
  // them before LayOut.
  std::string installDir = "C:\\Tessaly";
  std::string velqDir = "C:\\Velq";
  std::string jreDir = "C:\\Corbelle\\jre";  // "ncf.jvm.classpath"
  std::string appServerRoot = "C:\\Corbelle";
  std::string hostingDir = "C:\\Hosting";
  std::string payServerDir = "C:\\PayServer\\jre\\bin";  // contains "jre"
  std::string oracleHome = "C:\\Oracle";
  std::string oracleSid = "ORCL";
  std::string webServerDir = "C:\\WWW";  // its main directory
  std::string dbOwner = "tqadmin";       // an administrator account
  bool payServer = false;
  bool hosting = false;
  bool personalization = false;
  // The "gTQPackaging" line of the administration pages' config.js; empty:
  // the file has no such line.
  std::string packagingLine = "var gTQPackaging = false;";

  // Writes the registry records and the files, the store's macro files
  // below installDir\macro\en_US among them (the macro directory of a
  // record the installation proposes). False (see error()) at the first
  // piece that cannot be written.
  bool LayOut();
  // Writes the store's macro files below macroPath\category and
  // macroPath\product.
  bool AddMacroFiles(const std::string& macroPath);

  // An instance record that fits the installation: instance directory
  // C:\WWW\html\<name>, root C:\stores\<name>, macros C:\stores\<name>\macro,
  // web server host <name>.example.test.
  // Its macro files are the caller's to add.
  MSInfo Record(const std::string& name, int port, int processes = 2) const;

  const std::string& error() const { return m_error; }

  // What the installation holds, as an instance's tree receives it.
  static const std::vector<std::string>& CategoryMacros();
  static const std::vector<std::string>& ProductMacros();
  static const std::vector<std::string>& CatalogEditorPages();

  // The template lines creation rewrites, as the files hold them.
  static const char* CashetTemplate();
  static const char* MigrateCashetTemplate();

 private:
  bool SetRegistryString(const std::string& key, const std::string& name, const std::string& value);
  bool MakeKey(const std::string& key);
  bool WriteText(const std::string& path, const std::string& text);
  bool Fail(const std::string& what);

  std::string m_error;
};

// Makes a directory and every missing parent on the current machine.
bool MakeDirectories(const std::string& path);

// Writes text to a file of the current machine through the text stream
// (each "\n" becomes the machine's line end), making its directories.
bool WriteTextFile(const std::string& path, const std::string& text);

// A file's text as the text stream reads it ("\n" line ends); empty when it
// cannot be read.
std::string ReadTextFile(const std::string& path);

}  // namespace orvane::test

#endif  // ORVANE_TESTING_SAMPLEINSTALLATION_H_
