#!/usr/bin/env bash
# On a fresh Debian machine: installs what is missing, builds orvanectl and
# runs its demo on a new sample machine in a temporary folder (or in the
# folder given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ libsqlite3-dev libcli11-dev nlohmann-json3-dev libdtl-dev
          libyaml-cpp-dev libcpp-httplib-dev pkg-config)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# A build of its own, without the tests, so that the presets' trees keep
# their settings.
cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build/demo --target orvanectl sslkeys portset80 portset8000 >/dev/null
exec build/demo/tools/orvanectl/orvanectl demo "$@"
