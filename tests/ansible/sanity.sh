#!/usr/bin/env bash
# ansible-test sanity on the pellisto.firebird collection, as far as it runs
# offline. ansible-test installs the tools of seven of its tests from the
# Python package index into virtual environments, which this machine cannot
# reach; it runs the others itself. Of those seven, the checkers that come
# with ansible-test (validate-modules, the YAML linter of module
# documentation) run here directly, with Debian's voluptuous and yamllint,
# pep8 and pylint with ansible-test's own settings, and ansible-doc renders
# the documentation. Not run: import and runtime-metadata.
#   sanity.sh SOURCE_DIR
# Exit 77 (skipped) without ansible-test.
set -euo pipefail
source="$1"
command -v ansible-test >/dev/null || { echo "ansible-test is not installed (scripts/bootstrap.sh)"; exit 77; }
python=/usr/bin/python3
sanity="$("$python" -c 'import ansible_test, os; print(os.path.dirname(ansible_test.__file__))')/_util/controller/sanity"

# ansible-test writes its results into the collection; a copy keeps the
# source tree clean.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/ansible_collections/pellisto"
cp -r "$source/ansible/ansible_collections/pellisto/firebird" "$scratch/ansible_collections/pellisto/"
collection="$scratch/ansible_collections/pellisto/firebird"
rm -rf "$collection/tests/output"
export ANSIBLE_HOME="$scratch/ansible-home" ANSIBLE_LOCAL_TEMP="$scratch/ansible-tmp" ANSIBLE_NOCOLOR=1
export ANSIBLE_COLLECTIONS_PATH="$scratch" ANSIBLE_COLLECTIONS_SCAN_SYS_PATH=false
cd "$collection"

echo "== ansible-test sanity"
needs_index=(ansible-doc import pep8 pylint runtime-metadata validate-modules yamllint)
skips=()
for t in "${needs_index[@]}"; do skips+=(--skip-test "$t"); done
ansible-test sanity --local --python "$("$python" -c 'import sys; print("%d.%d" % sys.version_info[:2])')" \
  --color no "${skips[@]}"

echo "== validate-modules"
modules=(plugins/modules/*.py)
# The collection's ignore file says which findings stand, and why.
ignores="$(sed -n 's/^\([^ ]*\) validate-modules:\([^ ]*\).*/\1:0:0: E\2 /p' tests/sanity/ignore-*.txt)"
found="$(PYTHONPATH="$sanity/../../target/pytest/plugins" "$python" "$sanity/validate-modules/validate.py" \
  --arg-spec --collection ansible_collections/pellisto/firebird --collection-version 0.2.0 \
  --plugin-type module "${modules[@]}" 2>&1 | grep -vF "$ignores" || true)"
[ -z "$found" ] || { echo "$found"; exit 1; }

echo "== yamllint (the playbooks, the role and the module documentation)"
out="$( (find . -name '*.yml'; printf '%s\n' "${modules[@]}" plugins/module_utils/*.py) | sed 's|^\./||' |
  "$python" "$sanity/yamllint/yamllinter.py")"
"$python" -c 'import json, sys; sys.exit(1 if json.load(sys.stdin)["messages"] else 0)' <<<"$out" ||
  { echo "$out"; exit 1; }

echo "== pep8"
"$python" -m pycodestyle --max-line-length 160 --ignore "$(paste -sd, "$sanity/pep8/current-ignore.txt")" plugins

echo "== pylint"
(cd "$scratch" && PYTHONPATH="$scratch" "$python" -m pylint --rcfile "$sanity/pylint/config/collection.cfg" \
  --score n ansible_collections/pellisto/firebird/plugins)

echo "== ansible-doc"
for module in firebird_conf firebird_conf_info; do
  out="$(ansible-doc "pellisto.firebird.$module" 2>&1)" || { echo "$out"; exit 1; }
  grep -q "^> PELLISTO.FIREBIRD.${module^^} " <<<"$out" || { echo "$out"; exit 1; }
  grep -q '^RETURN VALUES:' <<<"$out" || { echo "$module: no return values"; exit 1; }
done
ansible-doc -t role pellisto.firebird.container_conf >/dev/null
echo "sanity: passed (not run offline: import, runtime-metadata)"
