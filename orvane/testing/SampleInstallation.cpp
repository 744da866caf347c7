#include "orvane/testing/SampleInstallation.h"

#include <cstdio>

#include "orvane/os/Files.h"
#include "orvane/os/Registry.h"

namespace orvane::test {
namespace {

constexpr char kProductPaths[] = "SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths";
constexpr char kWebServerVersion[] = "SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6";

// The payment command script: one line that creation rebuilds (it begins
// with the Java runtime of the payment server), placeholders elsewhere that
// it leaves alone, and a placeholder it does not know.
constexpr char kCashetTemplate[] =
    "@echo off\n"
    "rem Payment server start script\n"
    "set PATH=<<CASHET_Path>>\\bin;%PATH%\n"
    "\"<<CASHET_Path>>\\jre\\bin\\jre\" -cp \"<<database_java_driver>>;"
    "<<CASHET_Path>>\\cashetClasses.zip\" -Ddriver=<<JDBC_driver_name>> "
    "-Durl=<<jdbc_url>> -Downer=<<Database_owner>> -Duser=<<Database_userid>> "
    "<<no_such_placeholder>>com.vxr.cashet.Main %1 %2\n"
    "exit\n";

// The payment migration script in both its forms: Windows commands first,
// then the shell's.
constexpr char kMigrateCashetTemplate[] =
    "@echo off\n"
    "rem migrate the payment tables\n"
    "if \"%3\"==\"\" goto error\n"
    "set x0=cashet_schema.sql\n"
    "set x1=COM.vxr.velq.jdbc.app.VELQDriver\n"
    "set x2=jdbc:velq:%1\n"
    "set x5=jdbc:velq:%1\n"
    "\"<<CASHET_Path>>\\jre\\bin\\jre\" -cp \"%tqclasspath%\" com.vxr.cashet.Migrate %x0% %x1% "
    "%x2% %2 %3 %x5%\n"
    "goto end\n"
    ":error\n"
    "echo \"Usage: migrateCashet dbname userid password\"\n"
    ":end\n"
    "if [ $# != 3 ]\n"
    "then echo Usage: migrateCashet dbname userid password\n"
    "fi\n"
    "x0=cashet_schema.sql\n"
    "x1=COM.vxr.velq.jdbc.app.VELQDriver\n"
    "x2=jdbc:velq:$1\n"
    "x5=jdbc:velq:$1\n";

std::string Join(const std::string& directory, const std::string& name) {
  return directory + "\\" + name;
}

std::string ParentOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

bool MakeDirectories(const std::string& path) {
  if (path.empty() || os::DirectoryExists(path)) return true;
  const std::string parent = ParentOf(path);
  // A drive ("C:") has no parent to make.
  if (parent.size() > 2 && !MakeDirectories(parent)) return false;
  return os::CreateDirectory(path).ok() || os::DirectoryExists(path);
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  if (!MakeDirectories(ParentOf(path))) return false;
  FILE* file = os::OpenFile(path, "w");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

std::string ReadTextFile(const std::string& path) {
  FILE* file = os::OpenFile(path, "r");
  if (file == nullptr) return std::string();
  std::string text;
  char buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
  std::fclose(file);
  return text;
}

const std::vector<std::string>& SampleInstallation::CategoryMacros() {
  static const std::vector<std::string> names = {
      "cat_bas1.vqm", "cat_bas2.vqm", "cat_clo1.vqm", "cat_clo2.vqm", "cat_clo3.vqm",
      "cat_com1.vqm", "cat_com2.vqm", "cat_com3.vqm", "cat_har1.vqm", "cat_har2.vqm",
      "cat_har3.vqm", "cat_stor.vqm", "catgry1.vqm",  "catgry2.vqm"};
  return names;
}

const std::vector<std::string>& SampleInstallation::ProductMacros() {
  static const std::vector<std::string> names = {
      "temphard.vqm", "product1.vqm", "product2.vqm", "tempbas1.vqm", "tempclo2.vqm",
      "tempclo3.vqm", "tempclot.vqm", "tempite2.vqm", "tempitem.vqm", "tempcomp.vqm"};
  return names;
}

const std::vector<std::string>& SampleInstallation::CatalogEditorPages() {
  static const std::vector<std::string> names = {
      "pc1_te.html", "pc2_te.html",   "pc3_te.html", "pe_te.html", "sa_te.html",
      "pc.html",     "pe.html",       "sa.html",     "ngpc.html",  "ngpe.html",
      "ngsa.html",   "ngsa_ans.html", "sa_ans.html"};
  return names;
}

const char* SampleInstallation::CashetTemplate() { return kCashetTemplate; }
const char* SampleInstallation::MigrateCashetTemplate() { return kMigrateCashetTemplate; }

bool SampleInstallation::LayOut() {
  m_error.clear();
  const std::string pages = Join(installDir, "html\\en_US\\tqadmin");
  bool ok =
      SetRegistryString(kProductPaths, "TQ_INST_PATH", installDir) &&
      SetRegistryString("SOFTWARE\\VXR\\VELQ", "VELQ Path Name", velqDir) &&
      SetRegistryString("SOFTWARE\\VXR\\Corbelle Application Server\\4.0", "APPSERVER_ROOT",
                        appServerRoot) &&
      SetRegistryString("SOFTWARE\\VXR\\Corbelle Application Server\\4.0", "ncf.jvm.classpath",
                        jreDir + "\\") &&
      SetRegistryString("SOFTWARE\\ORACLE", "ORACLE_HOME", oracleHome) &&
      SetRegistryString("SOFTWARE\\ORACLE", "ORACLE_SID", oracleSid) &&
      SetRegistryString(kWebServerVersion, "ETCpath", Join(webServerDir, "conf")) &&
      SetRegistryString(Join(kWebServerVersion, "Directories"), "Executables",
                        Join(webServerDir, "bin")) &&
      SetRegistryString(Join(kWebServerVersion, "Directories"), "CGI Bin Scripts",
                        Join(webServerDir, "cgi-bin")) &&
      SetRegistryString(Join(kWebServerVersion, "Directories"), "HTML",
                        Join(webServerDir, "html")) &&
      SetRegistryString(Join(kWebServerVersion, "Directories"), "Main Directory", webServerDir);
  if (ok) {
    auto account =
        os::RegistryKey::Create(os::RegistryRoot::kLocalMachine, "EMULATION\\Accounts\\" + dbOwner,
                                "", os::RegistryAccess::kAll);
    ok = (account && account->SetValue("Privilege", os::RegistryValue::Dword(2)).ok()) ||
         Fail("account " + dbOwner);
  }
  if (ok && hosting) {
    ok = SetRegistryString("SOFTWARE\\VXR\\Tessaly Hosting Server\\Installation Directory",
                           "JQ_INST_PATH", hostingDir);
  }
  if (ok && payServer) {
    ok = MakeKey("SOFTWARE\\VXR\\VXR Payment Server") &&
         SetRegistryString(
             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\VXRPayServer.cmd", "Path",
             payServerDir);
  }
  if (ok && personalization) ok = MakeKey("SOFTWARE\\VXR\\Personalization");

  const std::string configJs = "// administration page settings\n" +
                               (packagingLine.empty() ? std::string() : packagingLine + "\n") +
                               "var gTQLang = \"en_US\";\n";
  ok = ok && WriteText(Join(pages, "common\\config.js"), configJs) &&
       WriteText(Join(pages, "teditor\\te_html\\teditor.txt"), "template editor help\n");
  for (const std::string& page : CatalogEditorPages()) {
    ok = ok && WriteText(Join(pages, "teditor\\ca_html\\" + page), "<html>" + page + "</html>\n");
  }
  const std::string bin = Join(installDir, "bin");
  for (const char* program : {"tessaly3.exe", "srvrctrl.exe", "server.exe", "back_server.exe",
                              "scheduler.exe", "tq3_ececommon.dll"}) {
    ok = ok && WriteText(Join(bin, program), std::string("program ") + program + "\n");
  }
  ok = ok && WriteText(Join(bin, "tq3_ececommonc.dll"), "queue bridge library, client\n") &&
       WriteText(Join(bin, "tq3_ececommons.dll"), "queue bridge library, server\n") &&
       WriteText(Join(installDir, "server\\admin\\kelsclt.pwd"), "admin:password template\n") &&
       WriteText(Join(installDir, "server\\admin\\cashet.cmd"), kCashetTemplate) &&
       WriteText(Join(installDir, "server\\admin\\migrateCashet.cmd"), kMigrateCashetTemplate) &&
       WriteText(Join(installDir, "adt\\tqcyber\\merchant_conf"), "merchant 1\n") &&
       WriteText(Join(installDir, "tq_schema\\VELQ\\cashet12_schema.velq.sql"), "-- schema\n") &&
       WriteText(Join(installDir, "tq_schema\\oracle\\cashet12_schema.ora.sql"), "-- schema\n") &&
       (MakeDirectories(Join(installDir, "tq_schema\\VELQ\\migrate")) || Fail("migrate")) &&
       (MakeDirectories(Join(installDir, "tq_schema\\oracle\\migrate")) || Fail("migrate")) &&
       WriteText(Join(velqDir, "java\\velqjava.zip"), "velq java\n");
  // The store's macros where a record proposed for this installation finds
  // them, so that its instances get complete template editor folders.
  return ok && AddMacroFiles(Join(installDir, "macro\\en_US"));
}

bool SampleInstallation::AddMacroFiles(const std::string& macroPath) {
  bool ok = true;
  for (const std::string& name : CategoryMacros()) {
    ok = ok && WriteText(Join(macroPath, "category\\" + name), "category macro " + name + "\n");
  }
  for (const std::string& name : ProductMacros()) {
    ok = ok && WriteText(Join(macroPath, "product\\" + name), "product macro " + name + "\n");
  }
  return ok;
}

MSInfo SampleInstallation::Record(const std::string& name, int port, int processes) const {
  MSInfo info;
  const std::string root = "C:\\stores\\" + name;
  info.SetName(name.c_str());
  info.SetRootPath(root.c_str());
  info.SetMacroPath((root + "\\macro").c_str());
  info.SetCgiPath(Join(webServerDir, "cgi-bin").c_str());
  info.SetHtmlPath(Join(webServerDir, "html\\" + name).c_str());
  info.SetIPAddr("10.0.0.5");
  info.SetISHost((name + ".example.test").c_str());  // each instance has a host of its own
  info.SetDBName((name + "db").substr(0, 8).c_str());
  info.SetDBUser("dbuser");
  info.SetDBOwner(dbOwner.c_str());
  info.SetDBPswd("secret");
  info.SetDBHost((name + ".example.test").c_str());
  info.SetISType(eISGoWebserver);
  info.SetDBType(eDBVelq);
  info.SetMSProc(processes);
  info.SetMSPort(port);
  return info;
}

bool SampleInstallation::SetRegistryString(const std::string& key, const std::string& name,
                                           const std::string& value) {
  auto opened =
      os::RegistryKey::Create(os::RegistryRoot::kLocalMachine, key, "", os::RegistryAccess::kAll);
  if (opened && opened->SetValue(name, os::RegistryValue::String(value)).ok()) return true;
  return Fail("registry value " + key + "\\" + name);
}

bool SampleInstallation::MakeKey(const std::string& key) {
  auto opened =
      os::RegistryKey::Create(os::RegistryRoot::kLocalMachine, key, "", os::RegistryAccess::kAll);
  return opened ? true : Fail("registry key " + key);
}

bool SampleInstallation::WriteText(const std::string& path, const std::string& text) {
  return WriteTextFile(path, text) || Fail("file " + path);
}

bool SampleInstallation::Fail(const std::string& what) {
  if (m_error.empty()) m_error = "cannot write the " + what;
  return false;
}

}  // namespace orvane::test
