/* Imports GetTickCount64 (Windows Vista and later) at load time, for the import check of
   check_executables.sh to refuse: the proof that the check catches such an import. */
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>

int main(void) { return GetTickCount64() == 0; }
