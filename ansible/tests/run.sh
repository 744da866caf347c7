#!/usr/bin/env bash
# The example playbook on three emulated machines, with the built orvanectl:
# check mode changes nothing and reports changes; applied, it creates every
# instance on every machine; applied again it changes nothing; a bad field
# fails its machine alone, naming the field. Usage: run.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
ansible_dir=$(dirname "$here")
build=$(cd "${1:?usage: run.sh BUILD_DIR}" && pwd)
orvanectl=$build/tools/orvanectl/orvanectl
[ -x "$orvanectl" ] || { echo "no orvanectl in $build" >&2; exit 1; }
command -v ansible-playbook >/dev/null || { echo "ansible-playbook is missing (Debian: ansible-core)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/orvane-ansible-XXXXXX")
trap 'rm -rf "$work"' EXIT
export ANSIBLE_COLLECTIONS_PATH=$ansible_dir ANSIBLE_HOME=$work/ansible-home
export ANSIBLE_LOCAL_TEMP=$work/ansible-tmp ANSIBLE_REMOTE_TEMP=$work/ansible-tmp
export ANSIBLE_STDOUT_CALLBACK=default ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0

for m in m1 m2 m3; do
  "$orvanectl" --machine "$work/machines/$m" machine init --sample >/dev/null
done

# Runs the example playbook with extra arguments; its output in $work/$name.out.
play() {
  local name=$1; shift
  ansible-playbook -i "$ansible_dir/example/inventory.yml" "$ansible_dir/example/site.yml" \
    -e "machines_dir=$work/machines" -e "orvanectl_program=$orvanectl" "$@" \
    >"$work/$name.out" 2>&1 || true
}

# Every file below the machines with its bytes.
snapshot() { (cd "$work/machines" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }

# Checks the play's recap: "HOST:changed>0", "HOST:changed=0" or "HOST:failed"
# for each host (the first two without a failure).
recap() {
  local out=$work/$1.out; shift
  local expectation host want line changed failed ok
  for expectation in "$@"; do
    host=${expectation%%:*} want=${expectation#*:}
    line=$(sed -n "/^PLAY RECAP/,\$ s/^$host  *: //p" "$out")
    [ -n "$line" ] || { echo "$host is not in the recap" >&2; cat "$out" >&2; exit 1; }
    changed=$(sed -n 's/.*changed=\([0-9]*\).*/\1/p' <<<"$line")
    failed=$(sed -n 's/.*failed=\([0-9]*\).*/\1/p' <<<"$line")
    case $want in
      'changed>0') ok=$(( changed > 0 && failed == 0 )) ;;
      'changed=0') ok=$(( changed == 0 && failed == 0 )) ;;
      failed) ok=$(( failed > 0 )) ;;
    esac
    [ "$ok" = 1 ] || { echo "$host: expected $want, got: $line" >&2; cat "$out" >&2; exit 1; }
  done
}

# The failure lines of a host's tasks.
failure_of() { grep "^fatal: \[$2\]" "$work/$1.out" || true; }

before=$(snapshot)
play check --check --diff
recap check m1:changed\>0 m2:changed\>0 m3:changed\>0
[ "$(snapshot)" = "$before" ] || { echo "check mode changed the machines" >&2; exit 1; }
echo "check mode: changes reported on every host, no file changed"

play apply
recap apply m1:changed\>0 m2:changed\>0 m3:changed\>0
expect_instances() {
  local machine=$1; shift
  "$orvanectl" --machine "$work/machines/$machine" --json list | python3 -c '
import json, sys
wanted = sys.argv[1:]
listed = {i["name"]: i for i in json.load(sys.stdin)["result"]["instances"]}
missing = [n for n in wanted if n not in listed or not listed[n]["created"]]
if missing or sorted(listed) != sorted(wanted):
    sys.exit("machine: wanted %s created, found %s" % (wanted, sorted(listed)))
' "$@"
}
expect_instances m1 shop1 shop2
expect_instances m2 books
expect_instances m3 toys games outlet
echo "applied: every instance created on all three machines"

after=$(snapshot)
play again
recap again m1:changed=0 m2:changed=0 m3:changed=0
[ "$(snapshot)" = "$after" ] || { echo "the second run changed the machines" >&2; exit 1; }
echo "applied again: changed=0 on every host, no file changed"

play bad -e '{"bad_instances": {"m2": [{"name": "bad", "processes": 1}]}}'
recap bad m1:changed=0 m2:failed m3:changed=0
message=$(failure_of bad m2)
case $message in
  *processes*) echo "a bad field fails its host alone: $message" ;;
  *) echo "m2's failure does not name the field: $message" >&2; exit 1 ;;
esac

# The instance module takes one away again, once.
absent() {
  ansible -i "$ansible_dir/example/inventory.yml" m3 -m orvane.tessaly.instance \
    -a "name=outlet state=absent machine=$work/machines/m3 orvanectl=$orvanectl" 2>&1 | head -1
}
[[ $(absent) == "m3 | CHANGED"* ]] || { echo "state=absent did not delete outlet" >&2; exit 1; }
[[ $(absent) == "m3 | SUCCESS"* ]] || { echo "state=absent of a deleted instance changed" >&2; exit 1; }
expect_instances m3 toys games
echo "state=absent deletes an instance, and then changes nothing"

# The sanity tests of ansible-test that run offline (the others install
# their tools into a virtual environment from the network first), on a copy
# of the collection laid out as ansible-test wants it.
sanity=$work/sanity/ansible_collections/orvane
python_version=$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')
mkdir -p "$sanity"
cp -r "$ansible_dir/ansible_collections/orvane/tessaly" "$sanity/"
offline_tests=(compile shebang line-endings empty-init future-import-boilerplate
               metaclass-boilerplate no-assert no-basestring no-dict-iteritems
               no-main-display no-unicode-literals replace-urlopen use-compat-six symlinks)
(cd "$sanity/tessaly" && HOME=$work/home ansible-test sanity --python "$python_version" \
   "${offline_tests[@]/#/--test=}") >"$work/sanity.out" 2>&1 ||
  { cat "$work/sanity.out" >&2; echo "ansible-test sanity failed" >&2; exit 1; }
echo "ansible-test sanity: ${#offline_tests[@]} offline tests pass"

# Every module's documentation parses (the sanity test that checks it needs
# the network).
for module in apply instance; do
  ANSIBLE_COLLECTIONS_PATH=$ansible_dir ansible-doc "orvane.tessaly.$module" >"$work/doc.out" 2>&1 &&
    ! grep -q '^ERROR' "$work/doc.out" ||
    { cat "$work/doc.out" >&2; echo "ansible-doc orvane.tessaly.$module failed" >&2; exit 1; }
done
echo "ansible-doc: both modules' documentation parses"
