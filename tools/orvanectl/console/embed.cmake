# Writes OUTPUT, the C++ table of the console's files as bytes (see
# ConsoleAssets.h), from the files in SOURCE_DIR:
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -P embed.cmake
# Each entry: file, path served, Content-Type ("," stands for "; ").
set(assets
  "index.html|/|text/html,charset=utf-8"
  "console.js|/console.js|text/javascript,charset=utf-8"
  "console.css|/console.css|text/css,charset=utf-8")
set(arrays "")
set(table "")
set(index 0)
foreach(asset IN LISTS assets)
  string(REPLACE "|" ";" parts "${asset}")
  list(GET parts 0 file)
  list(GET parts 1 path)
  list(GET parts 2 type)
  string(REPLACE "," "; " type "${type}")
  file(READ ${SOURCE_DIR}/${file} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "(..)" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char kAsset${index}[] = {${bytes}0};\n")
  string(APPEND table "      {\"${path}\", \"${type}\", reinterpret_cast<const char*>(kAsset${index}), ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new
"// Made by console/embed.cmake from the files in console/: edit those.
#include \"ConsoleAssets.h\"

namespace orvanectl {

namespace {

${arrays}
}  // namespace

const std::vector<ConsoleAsset>& ConsoleAssets() {
  static const std::vector<ConsoleAsset> assets = {
${table}  };
  return assets;
}

}  // namespace orvanectl
")
# Rewritten only when it changed, so that a build does not recompile it.
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
