#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/debian-packages.txt that are
# not installed yet, and generates the German locale the number-format tests
# switch to. Safe to run again: with everything present it does nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi

missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done < "$here/debian-packages.txt"
if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# de_DE.UTF-8 (from the locales package): uncomment it in /etc/locale.gen, or add it, and generate.
if ! locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$'; then
  if grep -qE '^# *de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
    $sudo sed -i -E 's/^# *(de_DE\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  elif ! grep -qE '^de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen
fi
