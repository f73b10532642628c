#!/usr/bin/env bash
# Builds the VS Code extension of editors/vscode into build/editors/brindle-vb6-VERSION.vsix,
# from the versions its package-lock.json pins, and checks that the archive holds the client
# and what it needs at run time.
#   scripts/build-vsix.sh [OUTPUT-FOLDER]
# The overrides in its package.json hold the packer's own dependencies at versions that still
# run on Debian 12's Node.js 18.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
out="$(realpath -m "${1:-build/editors}")"
{ command -v npm && command -v unzip; } >/dev/null || scripts/install-deps.sh unzip
# The extension's folder carries its own copy of the license, which the package needs.
cmp -s LICENSE editors/vscode/LICENSE ||
    { echo "editors/vscode/LICENSE differs from LICENSE" >&2; exit 1; }

cd editors/vscode
# No install scripts: the packager's optional keychain and signing helpers would build or
# download programs that packaging does not use.
npm ci --ignore-scripts --no-audit --no-fund
version="$(node -p 'require("./package.json").version')"
grep -q "^project(Brindle VERSION $version " "$root/CMakeLists.txt" ||
    { echo "editors/vscode/package.json has version $version, Brindle another" >&2; exit 1; }
vsix="$out/brindle-vb6-$version.vsix"
mkdir -p "$out"
node_modules/.bin/vsce package --out "$vsix"

listing="$(unzip -Z1 "$vsix")"
for file in extension/package.json extension/extension.js extension/README.md \
            extension/LICENSE.txt extension/language-configuration.json \
            extension/syntaxes/vb6.tmLanguage.json \
            extension/node_modules/vscode-languageclient/node.js \
            extension/node_modules/vscode-languageserver-protocol/package.json \
            extension/node_modules/vscode-jsonrpc/package.json; do
    grep -qxF "$file" <<<"$listing" || { echo "$vsix lacks $file" >&2; exit 1; }
done
if grep -q '^extension/node_modules/@vscode/vsce/' <<<"$listing"; then
    echo "$vsix holds the packager itself" >&2
    exit 1
fi

# The client as packed loads all its modules under Node.js, with the editor's API stubbed.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
unzip -q "$vsix" -d "$work"
node -e '
const Module = require("module");
const stub = new Proxy(function () {}, { get: (t, k) => (k === "prototype" ? {} : stub) });
const resolve = Module._resolveFilename;
Module._resolveFilename = function (request, ...rest) {
  return request === "vscode" ? "vscode" : resolve.call(this, request, ...rest);
};
require.cache.vscode = { id: "vscode", filename: "vscode", loaded: true, exports: stub };
const extension = require(process.argv[1]);
if (typeof extension.activate !== "function" || typeof extension.deactivate !== "function") {
  throw new Error("the client exports no activate and deactivate");
}' "$work/extension/extension.js"
echo "Built $(realpath --relative-to="$root" "$vsix" 2>/dev/null || echo "$vsix")"
