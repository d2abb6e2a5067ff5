#!/usr/bin/env bash
# The pellisto.firebird collection run by ansible-playbook with a local
# connection against scratch Firebird folders: the modules on the 2.1.7 and
# Debian 3.0 samples, the fleet example (its handler only on a change), and
# the container role through the example entrypoint.
#   run_tests.sh PELLISTO_CONF SAMPLES_DIR SOURCE_DIR
# Exit 77 (skipped) without ansible-playbook or the samples.
set -euo pipefail
conf="$1" samples="$2" source="$3"
command -v ansible-playbook >/dev/null || { echo "ansible-playbook is not installed (scripts/bootstrap.sh)"; exit 77; }
[ -f "$samples/firebird-2.1.7.conf" ] || { echo "sample files not found at $samples"; exit 77; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# The collection from the source tree only; Ansible's own files in the scratch folder.
export ANSIBLE_COLLECTIONS_PATH="$source/ansible" ANSIBLE_COLLECTIONS_SCAN_SYS_PATH=false
export ANSIBLE_HOME="$scratch/ansible-home" ANSIBLE_LOCAL_TEMP="$scratch/ansible-tmp"
export ANSIBLE_CONFIG="$scratch/none.cfg" ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=false
export ANSIBLE_LOCALHOST_WARNING=false ANSIBLE_INVENTORY_UNPARSED_WARNING=false ANSIBLE_PIPELINING=true
here="$(cd "$(dirname "$0")" && pwd)"
examples="$source/ansible/examples"
# pellisto-conf found on PATH, as the examples expect it.
export PATH="$(dirname "$conf"):$PATH"
fail() { echo "FAILED: $*"; exit 1; }

echo "== the modules on both samples"
for version in 2.1 3.0; do
  for folder in fb findings; do
    mkdir -p "$scratch/modules/$version/$folder"
    cp "$samples"/firebird-$version.*.conf "$scratch/modules/$version/$folder/firebird.conf"
  done
done
chmod 0640 "$scratch"/modules/*/*/firebird.conf
ansible-playbook -i localhost, "$here/firebird_conf_test.yml" \
  -e "pellisto_conf=$conf" -e "scratch=$scratch/modules"

echo "== the fleet example: a restart only where a file changed"
export FLEET_DIR="$scratch/fleet"
for host in legacy fb3 report; do mkdir -p "$FLEET_DIR/$host"; done
cp "$samples/firebird-2.1.7.conf" "$FLEET_DIR/legacy/firebird.conf"
cp "$samples/firebird-3.0.11-debian.conf" "$FLEET_DIR/fb3/firebird.conf"
cp "$samples/firebird-3.0.11-debian.conf" "$FLEET_DIR/report/firebird.conf"
chmod 0640 "$FLEET_DIR"/*/firebird.conf
# No service to restart here: the handler is notified but skips.
fleet=(ansible-playbook -i "$here/fleet_inventory.yml" "$examples/fleet/site.yml"
       -e ansible_become=false -e firebird_restart=false)
out="$("${fleet[@]}")" || { echo "$out"; fail "the fleet playbook"; }
echo "$out"
grep -q 'RUNNING HANDLER \[Restart Firebird\]' <<<"$out" || fail "no restart after a change"
grep -Eq '^legacy +: ok=[0-9]+ +changed=1 ' <<<"$out" || fail "legacy not changed"
[ "$(pellisto-conf --folder "$FLEET_DIR/report" get ServerMode DefaultDbCachePages TempCacheLimit)" = \
  "$(printf 'Super\n16384\n1073741824')" ] || fail "the reporting group's settings"
[ "$(pellisto-conf --folder "$FLEET_DIR/fb3" get ServerMode DefaultDbCachePages)" = "$(printf 'SuperClassic\n4096')" ] ||
  fail "the firebird3 group's settings"
out="$("${fleet[@]}")" || { echo "$out"; fail "the fleet playbook, again"; }
echo "$out"
! grep -q 'RUNNING HANDLER' <<<"$out" || fail "a restart without a change"
[ "$(grep -Ec ' changed=0 ' <<<"$out")" = 3 ] || fail "a second run changed something"

echo "== the container role through the example entrypoint"
export FIREBIRD="$scratch/container"
mkdir -p "$FIREBIRD"
cp "$samples/firebird-3.0.11-debian.conf" "$FIREBIRD/firebird.conf"
chmod 0640 "$FIREBIRD/firebird.conf"
FB_PORT=3051 FB_CACHE_PAGES=4096 sh "$examples/container/entrypoint.sh" touch "$scratch/started" ||
  fail "the entrypoint"
[ -f "$scratch/started" ] || fail "the server was not started"
[ "$(pellisto-conf get RemoteServicePort DefaultDbCachePages)" = "$(printf '3051\n4096')" ] ||
  fail "the entrypoint's settings"
cp "$FIREBIRD/firebird.conf" "$scratch/kept.conf"
rm "$scratch/started"
if FB_PORT=12x sh "$examples/container/entrypoint.sh" touch "$scratch/started"; then fail "12x taken"; fi
[ ! -e "$scratch/started" ] || fail "the server started after a refused value"
cmp -s "$FIREBIRD/firebird.conf" "$scratch/kept.conf" || fail "a refused value changed the file"
echo "ansible: all passed"
