#!/usr/bin/env bash
# Installs what building and testing Brindle needs, from Debian 12's packages, and the
# packages named as arguments. Does nothing when everything is there already.
set -euo pipefail
# help2man makes the manual page; bash, zsh and fish try the completion scripts; pre-commit
# and git run the repository's hooks; python3-yaml reads the README's CI recipes for CI.
# Neovim is the editor that the language server is tried in.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgtest-dev libgmock-dev
          libbenchmark-dev libcli11-dev libdtl-dev nlohmann-json3-dev clang-format
          libqscintilla2-qt6-dev zlib1g-dev help2man zsh fish pre-commit git neovim python3-yaml)
# npm fetches the validator of check's SARIF log; one that came with another Node.js will do.
command -v npm >/dev/null || packages+=(npm)
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
