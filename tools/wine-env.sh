# Sourced by the scripts that run Windows programs. What we ship is 32-bit, and it runs in one of
# two Windows worlds, chosen by KQ_WORLD:
#   win64  a 64-bit Windows (the default, and what most users have): a win64 prefix, in which the
#          32-bit program runs under WOW64 (system32 redirected to syswow64, Sysnative served)
#   win32  a 32-bit Windows: a win32 prefix
# These machines' kernels run no 32-bit user code, so Wine's 32-bit half runs through qemu-i386,
# registered for 32-bit Linux programs by tools/bootstrap.sh.
KQ_WORLD="${KQ_WORLD:-win64}"
case "$KQ_WORLD" in
  win64) KQ_WINEARCH=win64; KQ_WINEBOOT_LOADER=/usr/lib/wine/wine64 ;;
  win32) KQ_WINEARCH=win32; KQ_WINEBOOT_LOADER=/usr/lib/wine/wine ;;
  *) echo "wine-env: unknown KQ_WORLD '$KQ_WORLD' (win64 or win32)" >&2; return 1 ;;
esac
# Wine's 32-bit loader runs the 32-bit programs in either world.
KQ_WINE=/usr/lib/wine/wine
export KQ_WORLD
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=;printui=n}"
# For the Wine programs this shell starts. The shell itself may not know a locale that was
# generated after it started (the bootstrap of the same run makes it), and would warn on every
# assignment: the programs it starts load the locale afresh, so the warning is beside the point.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 2>/dev/null
