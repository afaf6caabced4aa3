#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a Debian 12 machine, and lets its
# 64-bit-only kernel run 32-bit programs through qemu-i386 (the shipped program is 32-bit, and
# so is Wine's half that runs it).
# Idempotent: when everything is in place it prints nothing and returns at once.
#
# A package registry in the middle of a sync is normal weather, not a reason to stop: an index that
# cannot be fetched is named and left out; an install that cannot be resolved (one architecture's
# index newer than the other's) is tried again with the release's own suite preferred, so that amd64
# and i386 take matching versions; a download that fails is tried again after a pause. Only when
# every try failed does the bootstrap end, saying which step failed and what to do.
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
qemu_package=qemu-user
qemu_minimum=1:10.0
binfmt=/proc/sys/fs/binfmt_misc
qemu_entry="$binfmt/qemu-i386"
qemu_interpreter=/usr/libexec/qemu-binfmt/i386-binfmt-P
# How often apt is asked again, and the pause before each new try (seconds).
update_tries=3
install_tries=3
retry_pause=${KQ_BOOTSTRAP_RETRY_PAUSE:-15}

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

say() { echo "bootstrap: $*"; }

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$'; }
qemu_recent() {
  local version
  version=$(dpkg-query -W -f='${Version}' "$qemu_package" 2>/dev/null) || return 1
  installed "$qemu_package" && dpkg --compare-versions "$version" ge "$qemu_minimum"
}

# The running release's codename, from the system's own description of itself.
release_codename() {
  local codename=""
  if [ -r /etc/os-release ]; then
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  fi
  [ -n "$codename" ] || codename=$(lsb_release -sc 2>/dev/null || true)
  echo "$codename"
}

# The indexes an `apt-get update` could not fetch, one "address (reason)" per line, read from its
# output ("E: Failed to fetch <address>  <reason>" or "W: Failed to fetch ...").
failed_indexes() { # output file
  sed -n 's/^[EW]: Failed to fetch \([^ ]*\) *\(.*\)$/\1 (\2)/p' "$1" |
    sed 's/ *\[IP: [^]]*\]//; s/ ()$//' | sort -u
}

# What to do after an `apt-get install` try, from its exit code and its output. Prints one word:
#   done     it worked
#   release  apt could not resolve the packages (versions of the two architectures that do not
#            match, as when one index is from before a sync and the other from after): try again with
#            the release's own suite preferred
#   again    a download failed (a registry mid-sync, a network hiccup): the same try after a pause
#   fail     anything else: no further try can help
install_next_try() { # exit code, output file
  local status="$1" output="$2"
  if [ "$status" -eq 0 ]; then
    echo done
  elif grep -qE "held broken packages|Unable to correct problems|unmet dependencies|but it is not (going to be )?installable|but [^ ]+ is to be installed|Conflicts:|Breaks:" "$output"; then
    echo release
  elif grep -qE "Failed to fetch|Unable to fetch some archives|Hash Sum mismatch|File has unexpected size|Connection failed|Temporary failure resolving|Could not connect|Connection timed out|Undetermined Error|Some index files failed" "$output"; then
    echo again
  else
    echo fail
  fi
}

# apt's own first error line, for the one line the bootstrap says about a failed try.
first_error() { # output file
  local line
  line=$(grep -m1 -E '^E: ' "$1" || true)
  [ -n "$line" ] || line=$(grep -m1 -vE '^\s*$' "$1" || true)
  echo "${line#E: }"
}

# `apt-get update`, tried a few times: a registry mid-sync often serves a consistent set again a
# minute later. An index that still fails is named, and the bootstrap goes on without it: the install
# below then either resolves from the other indexes or says why it cannot.
apt_update() {
  local output try index
  output=$(mktemp)
  for try in $(seq 1 "$update_tries"); do
    if $SUDO apt-get update -qq >"$output" 2>&1; then
      rm -f "$output"
      return 0
    fi
    [ "$try" -lt "$update_tries" ] && sleep "$retry_pause"
  done
  if [ -z "$(failed_indexes "$output")" ]; then
    say "apt-get update failed $update_tries times: $(first_error "$output"); going on with the indexes it has"
  fi
  while IFS= read -r index; do
    [ -n "$index" ] && say "package index not fetched after $update_tries tries, going on without it: $index"
  done < <(failed_indexes "$output")
  rm -f "$output"
  return 0
}

# Installs packages with apt-get, [-t target] first; when apt cannot resolve them, again with the
# running release's own suite preferred; a failed download is tried again after a pause. Ends the
# bootstrap with a message that says what failed and what to do when no try worked.
apt_install() { # what (for the messages), target release or "", packages...
  local what="$1" target="$2" release status try=1 next
  shift 2
  release=$(release_codename)
  local output
  output=$(mktemp)
  while :; do
    status=0
    $SUDO apt-get install -y -qq --no-install-recommends ${target:+-t "$target"} "$@" >"$output" 2>&1 || status=$?
    next=$(install_next_try "$status" "$output")
    case "$next" in
      done)
        rm -f "$output"
        return 0 ;;
      release)
        if [ -n "$release" ] && [ -z "$target" ]; then
          say "apt could not resolve the install of $what ($(first_error "$output")); trying again with $release's own suite preferred, so that both architectures take matching versions"
          target="$release"
          continue
        fi ;;
      again)
        if [ "$try" -lt "$install_tries" ]; then
          say "a download for $what failed ($(first_error "$output")); trying again in $retry_pause s"
          sleep "$retry_pause"
          try=$((try + 1))
          apt_update
          continue
        fi ;;
    esac
    echo "bootstrap: could not install $what." >&2
    sed -n '/^E: /p' "$output" | head -n 5 | sed 's/^/  /' >&2
    echo "  The Debian package registry may be in the middle of a sync: try again in a few minutes." >&2
    echo "  If it keeps failing, run 'apt-get update' and 'apt-get install $*' by hand to see apt's full answer." >&2
    rm -f "$output"
    exit 1
  done
}

# The address of the system's own Debian archive: the source that carries the release's own suite,
# as /etc/apt/sources.list.d/ or /etc/apt/sources.list names it (a local or company mirror stays in
# use). Read through apt itself, after an update, so every syntax apt accepts is understood.
debian_archive() { # release codename
  apt-get indextargets --format '$(TARGET_OF) $(RELEASE) $(REPO_URI)' 2>/dev/null |
    awk -v suite="$1" '$1 == "deb" && $2 == suite { print $3; exit }'
}

# The release's backports, from the same archive as the release, in a file of their own; the
# system's own sources stay as they are. Nothing is added when a source already names them.
add_backports() { # release codename
  local release="$1" list archive keyring
  list="/etc/apt/sources.list.d/$release-backports.sources"
  if apt-get indextargets --format '$(RELEASE)' 2>/dev/null | grep -qx "$release-backports" || [ -f "$list" ]; then
    return 0
  fi
  archive=$(debian_archive "$release")
  if [ -z "$archive" ]; then
    echo "bootstrap: no configured Debian source serves '$release' (see /etc/apt/sources.list.d/ and /etc/apt/sources.list); cannot add $release-backports for $qemu_package." >&2
    exit 1
  fi
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  say "adding $release-backports from $archive"
  {
    printf '%s\n' 'Types: deb' "URIs: $archive" "Suites: $release-backports" 'Components: main'
    [ -f "$keyring" ] && echo "Signed-By: $keyring"
  } | $SUDO tee "$list" >/dev/null
  apt_update
}

main() {
  local missing=() p need_qemu=0 need_locale=0 need_binfmt=0 release
  for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
  done
  qemu_recent || need_qemu=1
  locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' || need_locale=1
  [ -e "$qemu_entry" ] && grep -q "^interpreter $qemu_interpreter\$" "$qemu_entry" && grep -q '^enabled' "$qemu_entry" ||
    need_binfmt=1

  [ ${#missing[@]} -eq 0 ] && [ $need_qemu -eq 0 ] && [ $need_locale -eq 0 ] && [ $need_binfmt -eq 0 ] && return 0

  release=$(release_codename)
  if [ ${#missing[@]} -gt 0 ] || [ $need_qemu -eq 1 ]; then
    say "installing ${missing[*]}${missing[*]:+ }$([ $need_qemu -eq 1 ] && echo "$qemu_package ($release-backports)")"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      $SUDO dpkg --add-architecture i386
    fi
    apt_update
    [ $need_qemu -eq 1 ] && add_backports "$release"
    if [ ${#missing[@]} -gt 0 ]; then
      apt_install "the build and test packages" "" "${missing[@]}"
    fi
    if [ $need_qemu -eq 1 ]; then
      apt_install "$qemu_package from $release-backports" "$release-backports" "$qemu_package"
    fi
  fi

  if [ $need_locale -eq 1 ]; then
    say "generating the zh_CN.UTF-8 locale"
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
    say "registering qemu-i386 for 32-bit programs"
    if [ ! -e "$binfmt/register" ]; then
      $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
    fi
    if [ -e "$qemu_entry" ]; then
      echo -1 | $SUDO tee "$qemu_entry" >/dev/null
    fi
    local entry
    entry=$(sed 's/:[A-Z]*$/:FPC/' /usr/share/qemu/binfmt.d/qemu-i386.conf)
    printf '%s' "$entry" | $SUDO tee "$binfmt/register" >/dev/null
  fi
}

# Sourced (by the scripts' test), it only defines the functions.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  main "$@"
fi
