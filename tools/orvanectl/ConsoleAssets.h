// The console's page, its script and its style sheet, built into the
// program (console/embed.cmake makes ConsoleAssets.cpp from the files in
// console/), so that an installed orvanectl serves them without files beside it.
#ifndef ORVANECTL_CONSOLEASSETS_H_
#define ORVANECTL_CONSOLEASSETS_H_

#include <cstddef>
#include <vector>

namespace orvanectl {

struct ConsoleAsset {
  const char* path;  // where it is served: "/", "/console.js"
  const char* type;  // its Content-Type
  const char* bytes;
  std::size_t size;
};

const std::vector<ConsoleAsset>& ConsoleAssets();

}  // namespace orvanectl

#endif  // ORVANECTL_CONSOLEASSETS_H_
