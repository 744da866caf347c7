// RegistryValue: a value's data in the form Windows stores it.
#include <algorithm>

#include "orvane/os/Registry.h"

namespace orvane::os {

RegistryValue RegistryValue::String(const std::string& text) {
  RegistryValue value;
  value.type = ValueType::kString;
  value.data.assign(text.begin(), text.end());
  value.data.push_back('\0');
  return value;
}

RegistryValue RegistryValue::Dword(unsigned long number) {
  RegistryValue value;
  value.type = ValueType::kDword;
  for (int byte = 0; byte < 4; ++byte) {
    value.data.push_back(static_cast<unsigned char>((number >> (8 * byte)) & 0xFF));
  }
  return value;
}

std::string RegistryValue::AsString() const {
  auto end = std::find(data.begin(), data.end(), '\0');
  return std::string(data.begin(), end);
}

unsigned long RegistryValue::AsDword() const {
  if (data.size() < 4) return 0;
  unsigned long number = 0;
  for (int byte = 3; byte >= 0; --byte) number = (number << 8) | data[byte];
  return number;
}

}  // namespace orvane::os
