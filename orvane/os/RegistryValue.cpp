// The value helpers of the registry seam; the same on every backend.
#include <algorithm>

#include "orvane/os/Registry.h"

namespace orvane::os {

RegistryValue RegistryValue::String(const std::string& text) {
  RegistryValue value;
  value.type = ValueType::kString;
  // The text and its NUL in one allocation.
  value.data.resize(text.size() + 1);
  std::copy(text.begin(), text.end(), value.data.begin());
  return value;
}

RegistryValue RegistryValue::Dword(unsigned long number) {
  RegistryValue value;
  value.type = ValueType::kDword;
  value.data = {static_cast<unsigned char>(number & 0xFF),
                static_cast<unsigned char>((number >> 8) & 0xFF),
                static_cast<unsigned char>((number >> 16) & 0xFF),
                static_cast<unsigned char>((number >> 24) & 0xFF)};
  return value;
}

std::string RegistryValue::AsString() const {
  auto end = std::find(data.begin(), data.end(), 0);
  return std::string(data.begin(), end);
}

unsigned long RegistryValue::AsDword() const {
  if (data.size() < 4) return 0;
  return static_cast<unsigned long>(data[0]) | static_cast<unsigned long>(data[1]) << 8 |
         static_cast<unsigned long>(data[2]) << 16 | static_cast<unsigned long>(data[3]) << 24;
}

}  // namespace orvane::os
