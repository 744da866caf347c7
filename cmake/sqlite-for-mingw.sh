#!/usr/bin/env bash
# Makes SQLite's single-file sources (sqlite3.c, sqlite3.h) for the Windows
# cross build, which has no SQLite of its own in Debian. They are built from
# Debian's source package of sqlite3, fetched with apt-get from the source
# index of the apt sources the machine is configured with, and need tclsh,
# make and a host C compiler.
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

# A private apt state with source indexes only: the machine's own lists stay
# as they are. Its entries are the machine's configured apt sources (one-line
# and deb822 forms) with the type deb-src, so that the sources come from
# whatever mirror the machine uses.
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/apt/sources"
eval "$(apt-config shell source_list Dir::Etc::SourceList/f source_parts Dir::Etc::SourceParts/d)"
one_line_files=()
[ -f "$source_list" ] && one_line_files+=("$source_list")
deb822_files=()
for file in "$source_parts"*; do
  case "$file" in
    *.list) one_line_files+=("$file") ;;
    *.sources) deb822_files+=("$file") ;;
  esac
done

# One-line form: "deb [options] URI suite [component...]"; comments dropped,
# CD-ROM entries left out (nothing to fetch from them here).
if [ ${#one_line_files[@]} -gt 0 ]; then
  sed -e 's/#.*//' "${one_line_files[@]}" |
    awk '($1 == "deb" || $1 == "deb-src") && $0 !~ /cdrom:/ { $1 = "deb-src"; print }' |
    sort -u >"$work/apt/sources/machine.list"
fi
# deb822 form: stanzas apart by blank lines; a stanza whose Types name deb
# or deb-src is kept whole (URIs, Suites, Components, Signed-By with its
# continuation lines, Enabled) with Types: deb-src.
if [ ${#deb822_files[@]} -gt 0 ]; then
  for file in "${deb822_files[@]}"; do cat "$file"; echo; done |
    awk '
      function flush() {
        if (keep && stanza != "") printf "%s\n", stanza
        stanza = ""; keep = 0
      }
      /^[ \t]*$/ { flush(); next }
      /^#/ { next }
      tolower($1) == "types:" {
        for (i = 2; i <= NF; i++) if ($i == "deb" || $i == "deb-src") keep = 1
        stanza = stanza "Types: deb-src\n"
        next
      }
      { stanza = stanza $0 "\n" }
      END { flush() }
    ' >"$work/apt/sources/machine.sources"
fi
if ! grep -qs . "$work/apt/sources/machine.list" "$work/apt/sources/machine.sources"; then
  echo "sqlite-for-mingw: the machine has no apt source to take a source index from" >&2
  exit 1
fi
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
