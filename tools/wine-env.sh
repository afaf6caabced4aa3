# Sourced by the scripts that run Windows programs. The kernels of our build machines refuse 32-bit
# Linux executables, so the 32-bit Wine loader cannot start there: tests and the demo run the
# x86_64 build of the same sources under the 64-bit loader in a 64-bit prefix, while the shipped
# i686 executables are checked statically (PE headers, imports, resources).
if [ -x /usr/lib/wine/wine64 ]; then
  KQ_WINE=/usr/lib/wine/wine64
else
  KQ_WINE=$(command -v wine64 || command -v wine)
fi
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=;printui=n}"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
