#!/usr/bin/env bash
# The repository's pre-commit hooks, run by pre-commit in a git repository of a VB6 project: a
# commit with a module that lacks an error handler is refused, the hook that adds what is missing
# mends it, and the commit then passes. Usage: pre_commit_test.sh BRINDLE_DIR SOURCE_DIR
set -euo pipefail
brindle_dir=$1
source_dir=$2
if ! command -v pre-commit >/dev/null; then
    echo "SKIPPED: pre-commit is not installed (scripts/install-deps.sh installs it)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PATH="$brindle_dir:$PATH" PRE_COMMIT_HOME="$work/cache" BRINDLE_SETTINGS="$work/settings.ini"
export GIT_CONFIG_GLOBAL=/dev/null GIT_CONFIG_SYSTEM=/dev/null
export GIT_AUTHOR_NAME=Brindle GIT_AUTHOR_EMAIL=dev@brindle.invalid
export GIT_COMMITTER_NAME=Brindle GIT_COMMITTER_EMAIL=dev@brindle.invalid

fail() { echo "FAILED: $*"; exit 1; }

# The hooks as the repository defines them, in a repository of their own.
git init -q "$work/hooks"
cp "$source_dir/.pre-commit-hooks.yaml" "$work/hooks/"
git -C "$work/hooks" add .pre-commit-hooks.yaml
git -C "$work/hooks" commit -qm hooks
rev=$(git -C "$work/hooks" rev-parse HEAD)

configure() {
    printf 'repos:\n  - repo: %s\n    rev: %s\n    hooks:\n' "$work/hooks" "$rev" >.pre-commit-config.yaml
    printf '      - %s\n' "$@" >>.pre-commit-config.yaml
    git add .pre-commit-config.yaml
}

git init -q "$work/project"
cd "$work/project"
cp -r "$source_dir/examples/." .
cp -r "$source_dir/Templates" .
# An old code base, committed without handlers.
git add -A
git commit -qm "old code base"
pre-commit install >/dev/null

# The commit renames a module and adds one with a name beyond ASCII, which git quotes.
git mv modMain.bas modRenamed.bas
sed -i 's/modMain\.bas/modRenamed.bas/' Inventory.vbp
printf 'Attribute VB_Name = "Modulo"\r\nSub Go()\r\nEnd Sub\r\n' >Módulo.bas
printf 'Module=Modulo; M\363dulo.bas\r\n' >>Inventory.vbp
git add -A

# The README's hook line, as written there, sees both; so does the check hook, which refuses
# the commit.
line=$(grep -m1 -- '--files-from -' "$source_dir/README.md" | sed 's/^ *//')
! bash -c "$line" >"$work/line" 2>&1 || fail "the README's hook line passed: $line"
configure "id: brindle-check"
! git commit -qm "no handlers" >"$work/hook" 2>&1 || fail "a module without handlers was committed"
for told in "line:^Módulo.bas:[0-9]*: " "line:^modRenamed.bas:[0-9]*: " "hook:brindle check" \
    "hook:modRenamed.bas:[0-9]*: "; do
    grep -q "${told#*:}" "$work/${told%%:*}" || fail "no ${told#*:} in: $(cat "$work/${told%%:*}")"
done

# The other hook adds what is missing to the staged modules alone, says what, and stops the
# commit for a look; staged, it passes.
configure "{id: brindle-add-missing, args: [Inventory.vbp]}" "id: brindle-check"
! git commit -qm "mended by the hook" >"$work/out" 2>&1 || fail "the commit went on while the hook changed the modules"
grep -q "brindle: Módulo.bas: 1 module header, 1 procedure header, 1 error handler added" \
    "$work/out" || fail "the hook did not say what it added: $(cat "$work/out")"
grep -q "brindle: modRenamed.bas: .* added" "$work/out" || fail "$(cat "$work/out")"
git diff --quiet -- CStockItem.cls frmMain.frm Controls ||
    fail "the hook changed modules that were not staged: $(git diff --stat)"
git add -A
git commit -qm "with handlers" >"$work/out" 2>&1 || fail "the mended commit was refused: $(cat "$work/out")"
test -z "$(git status --porcelain)" || fail "the passing commit changed files: $(git status --porcelain)"
echo "pre-commit checked the renamed and the non-ASCII module, and completed only the staged ones"
