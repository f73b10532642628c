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

fail() {
    echo "FAILED: $*"
    exit 1
}

# The hooks as the repository defines them, in a repository of their own.
git init -q "$work/hooks"
cp "$source_dir/.pre-commit-hooks.yaml" "$work/hooks/"
git -C "$work/hooks" add .pre-commit-hooks.yaml
git -C "$work/hooks" commit -qm hooks
rev=$(git -C "$work/hooks" rev-parse HEAD)

configure() {
    {
        echo "repos:"
        echo "  - repo: $work/hooks"
        echo "    rev: $rev"
        echo "    hooks:"
        for hook in "$@"; do
            echo "      - $hook"
        done
    } >.pre-commit-config.yaml
    git add .pre-commit-config.yaml
}

git init -q "$work/project"
cd "$work/project"
cp -r "$source_dir/examples/." .
cp -r "$source_dir/Templates" .
pre-commit install >/dev/null

# The example has no error handlers: brindle check refuses the commit, and says where.
configure "id: brindle-check"
git add -A
if git commit -qm "no handlers" >"$work/out" 2>&1; then
    fail "a module without error handlers was committed"
fi
grep -q "brindle check" "$work/out" || fail "pre-commit did not run brindle check: $(cat "$work/out")"
grep -q "modMain.bas:[0-9]*: " "$work/out" || fail "no finding named a line: $(cat "$work/out")"

# The other hook adds what is missing and stops the commit for a look; staged, it passes.
configure "{id: brindle-add-missing, args: [Inventory.vbp]}" "id: brindle-check"
if git commit -qm "mended by the hook" >"$work/out" 2>&1; then
    fail "the commit went on while the hook changed the modules"
fi
grep -q "files were modified by this hook" "$work/out" || fail "$(cat "$work/out")"
grep -q "' \[Brindle Begin\]" modMain.bas || fail "the hook added nothing"
git add -A
git commit -qm "with handlers" >"$work/out" 2>&1 || fail "the mended project was refused: $(cat "$work/out")"
test -z "$(git status --porcelain)" || fail "the passing commit changed files: $(git status --porcelain)"
echo "pre-commit refused the module without handlers and passed it once mended"
