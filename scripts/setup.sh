#!/usr/bin/env bash
# Prepares a Debian 12 machine for building and testing: packages, the Chinese locale and the
# project's Wine prefix. Idempotent and non-interactive; on a machine already set up it only
# checks and returns within seconds. Installing needs root.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

export DEBIAN_FRONTEND=noninteractive

PACKAGES=(
  cmake g++ make libgtest-dev googletest libbenchmark-dev valgrind clang libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine32:i386 wine64
  xvfb xauth x11-utils xdotool xclip imagemagick
  locales fonts-wqy-microhei python3
)
# Registry values pinned in the prefix, as key|name|value:
# - the font that the Chinese GUI font resolves to, so that captions and pictures are stable;
# - windows not handed to a window manager: Xvfb has none, so Wine draws the whole window,
#   title bar and close button included, at its Win32 position.
PINS=(
  'HKCU\Software\Wine\Fonts\Replacements|SimSun|WenQuanYi Micro Hei'
  'HKCU\Software\Wine\X11 Driver|Managed|N'
)

is_installed() {
  dpkg -s "$1" 2>/dev/null | grep -qx 'Status: install ok installed'
}

as_root() {
  [[ ${EUID:-$(id -u)} -eq 0 ]] || die "setup needs root for: $*"
  "$@"
}

# apt-get with retries: a mirror hiccup should not fail a CI run.
apt_retry() {
  local try
  for try in 1 2 3; do
    if as_root apt-get -q -y -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold \
      "$@" </dev/null; then
      return 0
    fi
    log "apt-get $1 failed (try $try of 3)"
    sleep 5
  done
  return 1
}

install_packages() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
    is_installed "$p" || missing+=("$p")
  done
  if [[ ${#missing[@]} -eq 0 ]]; then
    log "packages: all ${#PACKAGES[@]} present"
    return 0
  fi
  log "packages missing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  apt_retry update
  apt_retry install --no-install-recommends "${missing[@]}"
  for p in "${missing[@]}"; do
    is_installed "$p" || die "package $p is still not installed"
  done
  log "packages: installed ${#missing[@]}"
}

setup_locale() {
  if locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    log "locale: zh_CN.UTF-8 present"
    return 0
  fi
  if grep -q '^# *zh_CN\.UTF-8 UTF-8' /etc/locale.gen; then
    as_root sed -i 's/^# *\(zh_CN\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^zh_CN\.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  fi
  as_root locale-gen
  locale -a | grep -qix 'zh_CN\.utf-\?8' || die "locale zh_CN.UTF-8 was not generated"
  log "locale: zh_CN.UTF-8 generated"
}

# Whether user.reg holds the value; Wine writes keys below HKCU with doubled backslashes.
pinned() {
  local key="${1#HKCU\\}" name="$2" value="$3"
  grep -A20 -F "[${key//\\/\\\\}]" "$TERRITORY_WINEPREFIX/user.reg" 2>/dev/null |
    awk 'NR > 1 && /^\[/ { exit } { print }' | grep -qxF "\"$name\"=\"$value\""
}

all_pinned() {
  local pin key name value
  for pin in "${PINS[@]}"; do
    IFS='|' read -r key name value <<<"$pin"
    pinned "$key" "$name" "$value" || return 1
  done
}

setup_wine_prefix() {
  local ready="$TERRITORY_WINEPREFIX/.territory-ready" pin key name value
  if [[ -f "$ready" ]] && all_pinned; then
    log "wine prefix: $TERRITORY_WINEPREFIX ready"
    return 0
  fi
  wine_env
  # Nothing may read a terminal or open a display while the prefix is made.
  unset DISPLAY
  if [[ ! -f "$TERRITORY_WINEPREFIX/system.reg" ]]; then
    log "wine prefix: creating $TERRITORY_WINEPREFIX"
    mkdir -p "$TERRITORY_WINEPREFIX"
    timeout 300 wineboot -i </dev/null >/dev/null 2>&1 || die "wineboot -i failed"
    timeout 120 wineserver -w || true
  fi
  for pin in "${PINS[@]}"; do
    IFS='|' read -r key name value <<<"$pin"
    timeout 120 wine reg add "$key" /v "$name" /d "$value" /f </dev/null >/dev/null 2>&1 ||
      die "could not set $key\\$name in the Wine prefix"
  done
  # The registry reaches its files when the server ends.
  timeout 120 wineserver -w || true
  all_pinned || die "the pinned registry values are not in $TERRITORY_WINEPREFIX/user.reg"
  touch "$ready"
  log "wine prefix: ready"
}

install_packages
setup_locale
setup_wine_prefix
log "setup complete"
