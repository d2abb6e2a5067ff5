#!/usr/bin/env bash
# install_test.sh CMAKE BUILD_DIR CATALOG_PROBE
#
# Installs the build into a scratch DESTDIR under an unusual prefix, checks
# the layout, then runs programs from there, far from the source and build
# trees: the installed pellisto-conf, and the catalog probe placed beside
# the installed pellisto, which must load the Spanish catalog from
# <prefix>/share/pellisto/locale.
set -euo pipefail
cmake=$1 build=$2 probe=$3
prefix=/opt/pellisto

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR=$root "$cmake" --install "$build" --prefix "$prefix" >/dev/null

# Nothing outside DESTDIR + prefix.
outside=$(cd "$root" && find . -mindepth 1 \( -path ./opt -o -path ./opt/pellisto -o -path "./opt/pellisto/*" \) -prune -o -print)
[ -z "$outside" ] || fail "installed outside the prefix: $outside"

installed=$root$prefix
expected=(
  bin/pellisto
  bin/pellisto-conf
  share/pellisto/locale/es/LC_MESSAGES/default.mo
  share/applications/org.pellisto.Pellisto.desktop
  share/icons/hicolor/scalable/apps/org.pellisto.Pellisto.svg
  share/icons/hicolor/48x48/apps/org.pellisto.Pellisto.png
  share/metainfo/org.pellisto.Pellisto.metainfo.xml
  share/man/man1/pellisto.1.gz
  share/man/man1/pellisto-conf.1.gz
  share/doc/pellisto/copyright
  lib/pellisto/pellisto-save-helper
  lib/pellisto/pellisto-network.so
  share/polkit-1/actions/org.pellisto.pellisto.policy
)
for file in "${expected[@]}"; do
  [ -s "$installed/$file" ] || fail "missing $file"
done
for program in bin/pellisto bin/pellisto-conf lib/pellisto/pellisto-save-helper; do
  [ -x "$installed/$program" ] || fail "$program is not executable"
done

# The update check's network module is loaded only when no one but its owner
# may write to it.
case "$(stat -c %a "$installed/lib/pellisto/pellisto-network.so" 2>/dev/null)" in
  *[2367]? | *[2367]) fail "lib/pellisto/pellisto-network.so is writable by its group or others" ;;
esac
# The program itself does not link the network libraries (the module does).
if ldd "$installed/bin/pellisto" 2>/dev/null | grep -q 'libQt6Network'; then
  fail "bin/pellisto links the network libraries"
fi

# The writer's test seams are compiled into the tests' own core only: the
# installed programs have the file layer (a function every save uses) and
# nothing of the seams.
for program in bin/pellisto bin/pellisto-conf lib/pellisto/pellisto-save-helper; do
  symbols=$(nm -C "$installed/$program" 2>/dev/null || true)
  grep -q 'conf::ReadWholeFileBuffer' <<<"$symbols" || fail "$program: no symbols to look for test seams in"
  if grep -q 'TestWriteHooks\|WriteHooks' <<<"$symbols"; then fail "$program holds the writer's test seams"; fi
done

# The polkit action: well-formed, with what polkitd needs of an action, and
# naming the helper where it was installed (pkexec compares the path).
python3 - "$installed/share/polkit-1/actions/org.pellisto.pellisto.policy" \
    "$prefix/lib/pellisto/pellisto-save-helper" <<'CHECK' || fail "the polkit action file is not as polkitd needs it"
import sys
import xml.etree.ElementTree as ET

root = ET.parse(sys.argv[1]).getroot()
assert root.tag == "policyconfig", root.tag
actions = root.findall("action")
assert [a.get("id") for a in actions] == ["org.pellisto.pellisto.save"], actions
action = actions[0]
for field in ("description", "message"):
    assert (action.findtext(field) or "").strip(), "no " + field
# The command pkexec runs begins with the file it saves.
assert "$(command_line)" in action.findtext("message"), "the message names no file"
results = {"no", "yes", "auth_self", "auth_admin", "auth_self_keep", "auth_admin_keep"}
defaults = action.find("defaults")
for field in ("allow_any", "allow_inactive", "allow_active"):
    assert defaults.findtext(field) in results, field
assert defaults.findtext("allow_active") == "auth_admin_keep"
assert all(defaults.findtext(f) not in ("yes", "auth_self", "auth_self_keep")
           for f in ("allow_any", "allow_inactive")), "someone other than an administrator may save"
paths = [a.text for a in action.findall("annotate") if a.get("key") == "org.freedesktop.policykit.exec.path"]
assert paths == [sys.argv[2]], paths
CHECK
# Only the programs: no test or benchmark binaries.
extra=$(cd "$installed/bin" && ls | grep -vxE 'pellisto|pellisto-conf' || true)
[ -z "$extra" ] || fail "unexpected programs in bin/: $extra"
for page in pellisto pellisto-conf; do
  gzip -t "$installed/share/man/man1/$page.1.gz" 2>/dev/null || fail "$page.1.gz is not gzip"
done

# Run from a neutral folder with a bare environment: nothing may come from
# the build tree or from this machine's settings.
cd "$scratch"
run() { env -i PATH=/usr/bin:/bin HOME="$scratch/home" "$@"; }

version=$(run "$installed/bin/pellisto-conf" --version 2>&1) || fail "pellisto-conf --version: $version"

cp "$probe" "$installed/bin/catalog_probe"
output=$(run QT_QPA_PLATFORM=offscreen "$installed/bin/catalog_probe" 2>"$scratch/probe.err") ||
  fail "the catalog probe failed: $(cat "$scratch/probe.err")"
folder=$(sed -n 1p <<<"$output")
cancel=$(sed -n 2p <<<"$output")
offered=$(sed -n 3p <<<"$output")
[ "$folder" = "$(cd "$installed/share/pellisto/locale" && pwd -P)" ] ||
  fail "catalogs looked for in '$folder', not in share/pellisto/locale"
[ "$cancel" = "Cancelar" ] || fail "\"Cancel\" in Spanish gave '$cancel'"
[[ " $offered" == *" es "* ]] || fail "the language dialog offers '$offered', without es"
[ ! -e "$installed/bin/Config.ini" ] || fail "the installed program wrote beside itself"

[ "$failures" -eq 0 ] || exit 1
echo "installed layout under $prefix is complete; the Spanish catalog is found there"
