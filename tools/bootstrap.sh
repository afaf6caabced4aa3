#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a Debian 12 machine, and lets its
# 64-bit-only kernel run 32-bit programs through qemu-i386 (the shipped program is 32-bit, and
# so is Wine's half that runs it).
# Idempotent: when everything is in place it prints nothing and returns at once.
set -euo pipefail

packages=(
  cmake ninja-build file
  icoutils osslsigncode openssl
  g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  python3
  googletest
  wine wine32:i386 wine64
  xvfb imagemagick fonts-wqy-microhei locales
  clang libclang-rt-14-dev llvm
  libbenchmark-dev
)
# Debian 12's own qemu (7.2) spends about 55 s in every Wine process; the backport (10.x) does not.
backports_list=/etc/apt/sources.list.d/bookworm-backports.sources
qemu_package=qemu-user
qemu_minimum=1:10.0
binfmt=/proc/sys/fs/binfmt_misc
qemu_entry="$binfmt/qemu-i386"
qemu_interpreter=/usr/libexec/qemu-binfmt/i386-binfmt-P

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$'; }
qemu_recent() {
  local version
  version=$(dpkg-query -W -f='${Version}' "$qemu_package" 2>/dev/null) || return 1
  installed "$qemu_package" && dpkg --compare-versions "$version" ge "$qemu_minimum"
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
need_qemu=0
qemu_recent || need_qemu=1
need_locale=0
locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' || need_locale=1
need_binfmt=0
[ -e "$qemu_entry" ] && grep -q "^interpreter $qemu_interpreter\$" "$qemu_entry" && grep -q '^enabled' "$qemu_entry" ||
  need_binfmt=1

[ ${#missing[@]} -eq 0 ] && [ $need_qemu -eq 0 ] && [ $need_locale -eq 0 ] && [ $need_binfmt -eq 0 ] && exit 0

if [ ${#missing[@]} -gt 0 ] || [ $need_qemu -eq 1 ]; then
  echo "bootstrap: installing ${missing[*]}${missing[*]:+ }$([ $need_qemu -eq 1 ] && echo "$qemu_package (bookworm-backports)")"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  # Debian's backports for 12 in a file of their own; the system's own sources stay as they are.
  if [ $need_qemu -eq 1 ] && [ ! -f "$backports_list" ]; then
    printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm-backports' \
      'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' | $SUDO tee "$backports_list" >/dev/null
  fi
  $SUDO apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  if [ $need_qemu -eq 1 ]; then
    $SUDO apt-get install -y -qq --no-install-recommends -t bookworm-backports "$qemu_package" >/dev/null
  fi
fi

if [ $need_locale -eq 1 ]; then
  echo "bootstrap: generating the zh_CN.UTF-8 locale"
  if [ -f /etc/locale.gen ] && grep -q '^# *zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
    $SUDO sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  elif ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi

# qemu-i386 for 32-bit Linux programs: qemu's standard entry (ELF class 1, machine 3), with the
# flags F (the interpreter is opened now, so the entry works in any mount namespace), P (the
# program keeps its own name) and C (credentials from the program).
if [ $need_binfmt -eq 1 ] || [ $need_qemu -eq 1 ]; then
  echo "bootstrap: registering qemu-i386 for 32-bit programs"
  if [ ! -e "$binfmt/register" ]; then
    $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
  fi
  if [ -e "$qemu_entry" ]; then
    echo -1 | $SUDO tee "$qemu_entry" >/dev/null
  fi
  entry=$(sed 's/:[A-Z]*$/:FPC/' /usr/share/qemu/binfmt.d/qemu-i386.conf)
  printf '%s' "$entry" | $SUDO tee "$binfmt/register" >/dev/null
fi
