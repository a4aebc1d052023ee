#!/bin/sh
# Neovim's built-in client starts the server, formats an untidy file and
# reads the diagnostic of a broken one. Exits 77 (skipped) without nvim.
# Arguments: the server binary, this folder, a scratch folder.
set -eu
server=$1
here=$2
work=$3
if ! command -v nvim >/dev/null 2>&1; then
  echo "nvim is not installed: skipping the end-to-end test with Neovim"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work"
cp "$here/untidy.track" "$work/song.track"
# Neovim keeps its state and logs under the scratch folder.
export XDG_STATE_HOME="$work/state" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
export XDG_CONFIG_HOME="$work/config"
export VOROMEL_LSP="$server" VOROMEL_EXPECTED="$here/canonical.track"
cd "$work"
timeout 90 nvim --headless -n -u NONE -i NONE -c "luafile $here/format_and_diagnose.lua" song.track \
  2>&1 || { echo "nvim failed"; exit 1; }
