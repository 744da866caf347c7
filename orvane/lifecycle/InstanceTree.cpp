#include "orvane/lifecycle/InstanceTree.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "orvane/config/PasswordFile.h"
#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"
#include "orvane/lifecycle/DirectoryMaker.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

enum MessageId : unsigned int {
  kMsgCannotCreateDirectory = 1,
  kMsgPasswordFileFailed = 2,
  kMsgCannotAccessDirectory = 24,
};

constexpr int kDirectoryMode = 0755;
constexpr int kWebWritableMode = 0777;
constexpr int kCopyMode = 0555;

const std::vector<const char*> kCategoryMacros = {
    "cat_bas1.vqm", "cat_bas2.vqm", "cat_clo1.vqm", "cat_clo2.vqm", "cat_clo3.vqm",
    "cat_com1.vqm", "cat_com2.vqm", "cat_com3.vqm", "cat_har1.vqm", "cat_har2.vqm",
    "cat_har3.vqm", "cat_stor.vqm", "catgry1.vqm",  "catgry2.vqm"};

const std::vector<const char*> kCatalogEditorPages = {
    "pc1_te.html", "pc2_te.html",   "pc3_te.html", "pe_te.html", "sa_te.html",
    "pc.html",     "pe.html",       "sa.html",     "ngpc.html",  "ngpe.html",
    "ngsa.html",   "ngsa_ans.html", "sa_ans.html"};

// Makes directories and copies files with the instance's owner and the
// tree's modes, and remembers whether every copy succeeded.
class TreeBuilder {
 public:
  explicit TreeBuilder(const MSInfo& info) : m_owner(info.GetDBOwner()) {}

  // False (after message 1 naming it) when the directory cannot be made.
  bool Directory(const KelString& path, int mode = kDirectoryMode) {
    if (MakeDirectoryPath(path, m_owner, mode)) return true;
    KelShowError(kMsgCannotCreateDirectory, path);
    return false;
  }

  // Copies each named file of sourceDir into targetDir under its own name.
  void CopyFiles(const KelString& sourceDir, const std::vector<const char*>& names,
                 const KelString& targetDir) {
    for (const char* name : names) Copy(sourceDir ^ name, targetDir ^ name);
  }

  void Copy(const KelString& source, const KelString& target) {
    if (!CopyFileOver(source, target)) {
      m_allCopied = false;
      return;
    }
    SetFileOwner(target, m_owner);
    SetFileMode(target, kCopyMode);
  }

  bool AllCopied() const { return m_allCopied; }

 private:
  const char* m_owner;
  bool m_allCopied = true;
};

bool BuildRoot(TreeBuilder& tree, const KelString& root) {
  if (!tree.Directory(root)) return false;
  for (const char* sub : {"tq_cache", "tq_cache\\protect", "tq_cache\\unprotect", "password",
                          "logs", "data", "bin"}) {
    if (!tree.Directory(root ^ sub)) return false;
  }
  return true;
}

bool BuildTemplateEditor(TreeBuilder& tree, const MSInfo& info, const KelString& installDir) {
  const KelString editor = KelString(info.GetRootPath()) ^ "teditor";
  const KelString editorPages = installDir ^ "html" ^ "en_US" ^ "tqadmin" ^ "teditor";
  const KelString macros(info.GetMacroPath());

  if (!tree.Directory(editor ^ "te_html")) return false;
  tree.Copy(editorPages ^ "te_html" ^ "teditor.txt", editor ^ "te_html" ^ "teditor.txt");
  if (!tree.Directory(editor ^ "category")) return false;
  tree.CopyFiles(macros ^ "category", kCategoryMacros, editor ^ "category");
  if (!tree.Directory(editor ^ "product")) return false;
  tree.CopyFiles(macros ^ "product", TemplateEditorProductMacros(), editor ^ "product");
  if (!tree.Directory(editor ^ "general")) return false;
  // A packaged installation has no catalog editor.
  if ((info.GetMSOption() & MSInfo::kOptPackaging) == 0) {
    if (!tree.Directory(editor ^ "ca_html")) return false;
    tree.CopyFiles(editorPages ^ "ca_html", kCatalogEditorPages, editor ^ "ca_html");
  }
  return true;
}

bool BuildWebDirectories(TreeBuilder& tree, const MSInfo& info) {
  const KelString macros(info.GetMacroPath());
  if (!tree.Directory(macros)) return false;
  SetFileMode(macros, kWebWritableMode);

  const KelString pages(info.GetHtmlPath());
  if (!tree.Directory(pages, kWebWritableMode) || !tree.Directory(pages ^ "tq_cache")) {
    return false;
  }
  for (const char* sub : {"protect", "unprotect"}) {
    const KelString cache = pages ^ "tq_cache" ^ sub;
    if (os::DirectoryExists(std::string(cache))) {
      // The page cache starts empty; but anyone may write the page
      // directory, so a link found below it is left alone, never emptied.
      if (!os::IsLink(std::string(pages ^ "tq_cache")) && !os::IsLink(std::string(cache))) {
        DeleteDirectoryFiles(cache);
      }
    } else if (!tree.Directory(cache, kWebWritableMode)) {
      return false;
    }
  }
  return true;
}

// The server program under the names the web server type runs it by.
bool BuildCgiDirectory(TreeBuilder& tree, const MSInfo& info, const KelString& installDir) {
  const KelString cgi(info.GetCgiPath());
  if (!tree.Directory(cgi)) return false;
  const KelString program = installDir ^ "bin" ^ "tessaly3.exe";
  const std::vector<const char*> names =
      info.GetISType() == eISNetscape ? std::vector<const char*>{"tessaly", "tessaly3", "tessaly"}
                                      : std::vector<const char*>{"tessaly3.exe", "tessaly"};
  for (const char* name : names) tree.Copy(program, cgi ^ name);
  return true;
}

}  // namespace

const std::vector<const char*>& TemplateEditorProductMacros() {
  static const std::vector<const char*> macros = {
      "temphard.vqm", "product1.vqm", "product2.vqm", "tempbas1.vqm", "tempclo2.vqm",
      "tempclo3.vqm", "tempclot.vqm", "tempite2.vqm", "tempitem.vqm", "tempcomp.vqm"};
  return macros;
}

int BuildInstanceTree(MSInfo& info, const char* installDir) {
  TreeBuilder tree(info);
  const KelString install(installDir);
  if (!BuildRoot(tree, info.GetRootPath()) || !BuildTemplateEditor(tree, info, install) ||
      !BuildWebDirectories(tree, info) || !BuildCgiDirectory(tree, info, install)) {
    return 0;
  }
  int result = tree.AllCopied() ? 1 : 0;
  const KelString passwordDir = KelString(info.GetRootPath()) ^ "password";
  if (!CreatePasswordFile(passwordDir, info.GetISType(), installDir, info.GetDBOwner())) {
    KelShowError(kMsgPasswordFileFailed, info.GetName());
    result = 0;
  }
  if (!os::DirectoryExists(info.GetHtmlPath())) {
    KelShowError(kMsgCannotAccessDirectory, info.GetHtmlPath());
    result = 0;
  }
  return result;
}

}  // namespace orvane
