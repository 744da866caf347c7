#!/usr/bin/env bash
# Builds the Debian packages of a build, checks them with lintian (no error
# allowed), unpacks them into a scratch root and runs the installed
# orvanectl's demo from there.
#   cmake/check-debian-packages.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
(cd "$build" && rm -f ./*.deb && cpack -G DEB >"$build/cpack.log" 2>&1) || {
  tail -30 "$build/cpack.log"; exit 1; }
packages=("$build"/liborvane0_*.deb "$build"/liborvane-dev_*.deb "$build"/orvane-tools_*.deb)
for package in "${packages[@]}"; do
  [ -f "$package" ] || { echo "missing package: $package"; exit 1; }
done
lintian --allow-root --fail-on error "${packages[@]}"
root=$(mktemp -d)
# The build's own programs step aside while the demo runs, so that it can only
# use what the packages installed.
built=("$build/tools/orvanectl/orvane-machine" "$build/tools/velqsim/velqsim")
restore() {
  for program in "${built[@]}"; do
    if [ -e "$program.aside" ]; then mv "$program.aside" "$program"; fi
  done
  rm -rf "$root"
}
trap restore EXIT
for package in "${packages[@]}"; do dpkg-deb -x "$package" "$root"; done
for unwanted in usr/bin/orvane-machine usr/include/orvane/testing; do
  if [ -e "$root/$unwanted" ]; then echo "the packages install $unwanted"; exit 1; fi
done
readelf -d "$root"/usr/lib/*/liborvane.so.0 | grep -q 'SONAME.*\[liborvane.so.0\]'
[ -x "$root/usr/libexec/orvane/orvane-machine" ] || {
  echo "the packages lack usr/libexec/orvane/orvane-machine"; exit 1; }
for program in "${built[@]}"; do mv "$program" "$program.aside"; done
"$root/usr/bin/orvanectl" demo "$root/machine" >"$build/packaged-demo.log" 2>&1 || {
  cat "$build/packaged-demo.log"; exit 1; }
grep -q "Tessaly servers for instance shop1 started successfully." "$build/packaged-demo.log"
echo "Debian packages: lintian clean, the demo runs from $(basename "${packages[2]}") unpacked"
