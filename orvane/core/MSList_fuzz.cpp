// Loads arbitrary bytes as the instance data file. Whatever list the load
// leaves (a damaged file may leave records read before the damage) must
// store and load back to the same records.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "orvane/core/MSList.h"
#include "orvane/testing/FuzzMachine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fuzz = orvane::fuzz;
  constexpr char kInput[] = "C:\\input.dat";
  fuzz::SilenceMessages();
  fuzz::WriteFile(kInput, std::string_view(reinterpret_cast<const char*>(data), size));
  MSList loaded;
  loaded.Load(kInput);
  fuzz::RequireDataFileRoundTrip(loaded);
  return 0;
}
