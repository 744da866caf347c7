#!/usr/bin/env bash
# Makes SQLite's single-file sources (sqlite3.c, sqlite3.h) for the Windows
# cross build, which has no SQLite of its own in Debian. They are built from
# Debian's source package of sqlite3, fetched with apt-get from the
# distribution's source index, and need tclsh, make and a host C compiler.
#
#   cmake/sqlite-for-mingw.sh [OUTPUT_DIR]     (default: build/sqlite)
#
# Nothing is done when OUTPUT_DIR already holds both files.
set -euo pipefail
cd "$(dirname "$0")/.."

output=${1:-build/sqlite}
if [ -f "$output/sqlite3.c" ] && [ -f "$output/sqlite3.h" ]; then
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A private apt state with Debian's source index only: the machine's own
# lists stay as they are.
. /etc/os-release
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/apt/sources"
cat >"$work/apt/sources/debian-src.sources" <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: ${VERSION_CODENAME}
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
apt_options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$work/apt/sources"
             -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache"
             -o "APT::Sandbox::User=root")
apt-get "${apt_options[@]}" -qq update
(cd "$work" && apt-get "${apt_options[@]}" -qq source --download-only sqlite3)

tarball=$(ls "$work"/sqlite3_*.orig.tar.* | grep -v -- '-www' | head -1)
tar -xf "$tarball" -C "$work"
tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'sqlite*' | head -1)
(cd "$tree" && ./configure --disable-tcl >/dev/null && make -s sqlite3.c sqlite3.h >/dev/null)

mkdir -p "$output"
cp "$tree/sqlite3.c" "$tree/sqlite3.h" "$output/"
echo "sqlite-for-mingw: $(grep -m1 '#define SQLITE_VERSION ' "$output/sqlite3.h") in $output"
