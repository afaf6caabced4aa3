# The Windows target: KQSetup.exe, PHelper.exe, the printui.dll stand-in and the tests, all i686.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

add_compile_definitions(UNICODE _UNICODE NOMINMAX WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600 STRICT)
# One self-contained executable: no libstdc++, libgcc or libwinpthread DLL beside it.
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
# Address-space randomisation and no-execute data for everything we ship.
set(HARDENING -Wl,--dynamicbase -Wl,--nxcompat)
# An exception that nothing catches ends the program through abort() either way. libstdc++'s
# default handler first writes the exception's demangled type name to the standard error, which
# neither shipped program shows anyone (a GUI program, a service), and brings the demangler and
# MinGW's printf along: about 75 KB of each executable. They end in abort() at once instead.
# (i686 C names carry a leading underscore.)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(c_prefix _)
endif()
set(PLAIN_TERMINATE -Wl,--defsym,${c_prefix}_ZN9__gnu_cxx27__verbose_terminate_handlerEv=${c_prefix}abort)
include(${CMAKE_SOURCE_DIR}/cmake/reproducible.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/signing.cmake)

set(WIN_SOURCES)
foreach(dir ${PRODUCT_DIRS})
  file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  list(FILTER found EXCLUDE REGEX "_core\\.cpp$")
  list(SORT found)
  list(APPEND WIN_SOURCES ${found})
endforeach()
list(REMOVE_ITEM WIN_SOURCES ${CMAKE_SOURCE_DIR}/shell/main.cpp)

# setupapi is not among them: its functions came with Windows 2000 and are looked up at run time.
set(WIN_LIBS comctl32 shell32 advapi32 gdi32 user32 kernel32)

add_library(kqwin STATIC ${WIN_SOURCES})
target_link_libraries(kqwin PUBLIC kqcore ${WIN_LIBS})

# The helper service program is built first: its bytes travel inside KQSetup.exe.
file(GLOB HELPER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/helper/*.cpp)
list(FILTER HELPER_SOURCES EXCLUDE REGEX "_core\\.cpp$")
list(SORT HELPER_SOURCES)
if(HELPER_SOURCES)
  add_executable(PHelper ${HELPER_SOURCES} ${CMAKE_SOURCE_DIR}/package/registry_key.cpp
                         ${CMAKE_SOURCE_DIR}/win/system_library.cpp)
  target_include_directories(PHelper PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(PHelper PRIVATE KQ_HELPER_PROGRAM)
  target_link_options(PHelper PRIVATE ${STATIC_RUNTIME} ${HARDENING} ${PLAIN_TERMINATE} -municode -s)
  target_link_libraries(PHelper PRIVATE kqcore advapi32)
  set_target_properties(PHelper PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  kq_reproducible_link(PHelper)
  kq_sign(PHelper)
  set(HELPER_EXE ${CMAKE_BINARY_DIR}/bin/PHelper.exe)
endif()

# The banner bitmaps the dialog templates name, for 96 DPI, are drawn by a script, so that they are
# reproducible from the repository alone. The pages draw their banners for the display's scale at
# the exact size of their areas (shell/banner_painter.h): no bitmap per scale is stored, and the
# stored ones, which a page shows only when its area is exactly theirs or drawing fails, have 8 bits
# per pixel with a palette of each banner's own colours (a third of the 24-bit bytes, within a level
# of the drawing).
set(BANNERS)
set(BANNER_RC)
foreach(banner IDB_BANNER_CABLE:454 IDB_BANNER_DETECT:456 IDB_BANNER_WELCOME:458)
  string(REPLACE ":" ";" banner ${banner})
  list(GET banner 0 banner_name)
  list(GET banner 1 banner_id)
  set(bitmap ${GEN_DIR}/banner${banner_id}-96.bmp)
  list(APPEND BANNERS ${bitmap})
  string(APPEND BANNER_RC "${banner_name} BITMAP \"${bitmap}\"\n")
endforeach()
add_custom_command(OUTPUT ${BANNERS}
  COMMAND python3 ${CMAKE_SOURCE_DIR}/res/make_banners.py --palette ${GEN_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/res/make_banners.py
  COMMENT "Drawing the banner bitmaps")
add_custom_target(banners DEPENDS ${BANNERS})

# The manifest names the architecture of the executable it is built into, for itself and for the
# common controls it binds: a 64-bit program given the 32-bit common controls dies at start.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KQ_MANIFEST_ARCH amd64)
else()
  set(KQ_MANIFEST_ARCH X86)
endif()
set(MANIFEST ${GEN_DIR}/kqsetup.manifest)
configure_file(${CMAKE_SOURCE_DIR}/res/kqsetup.manifest.in ${MANIFEST} @ONLY)
set(VERSION_RC ${GEN_DIR}/version.rc)
configure_file(${CMAKE_SOURCE_DIR}/res/version.rc.in ${VERSION_RC} @ONLY)

set(RC_FILE ${CMAKE_SOURCE_DIR}/res/kqsetup.rc)
# The .rc script includes the files made by the build through this generated fragment, with
# absolute paths, so that windres finds them whatever its working directory.
set(GEN_RC "CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST \"${MANIFEST}\"\n")
string(APPEND GEN_RC "${BANNER_RC}")
if(HELPER_EXE)
  string(APPEND GEN_RC "IDR_HELPER_PAYLOAD WIN7 \"${HELPER_EXE}\"\n")
endif()
file(CONFIGURE OUTPUT ${GEN_DIR}/generated_files.rc CONTENT "${GEN_RC}")
set(RC_DEPENDS ${BANNERS} ${CMAKE_SOURCE_DIR}/res/resource.h ${MANIFEST})
if(HELPER_EXE)
  list(APPEND RC_DEPENDS PHelper)
  set(RC_DEFINES KQ_HAVE_HELPER)
endif()
set_source_files_properties(${RC_FILE} PROPERTIES OBJECT_DEPENDS "${BANNERS};${CMAKE_SOURCE_DIR}/res/resource.h;${MANIFEST};${HELPER_EXE}")

# The resources as an object library, so that the tests carry the same string table and dialogs.
add_library(kqres OBJECT ${RC_FILE} ${VERSION_RC})
target_include_directories(kqres PRIVATE ${CMAKE_SOURCE_DIR}/res ${GEN_DIR} ${CMAKE_BINARY_DIR}/bin)
target_compile_definitions(kqres PRIVATE ${RC_DEFINES})
add_dependencies(kqres banners)
if(HELPER_EXE)
  add_dependencies(kqres PHelper)
endif()

add_executable(KQSetup WIN32 ${CMAKE_SOURCE_DIR}/shell/main.cpp $<TARGET_OBJECTS:kqres>)
target_link_options(KQSetup PRIVATE ${STATIC_RUNTIME} ${HARDENING} ${PLAIN_TERMINATE} -municode -mwindows -s)
target_link_libraries(KQSetup PRIVATE kqwin)
set_target_properties(KQSetup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
kq_reproducible_link(KQSetup)

# The sample driver package sits next to the program, where users put theirs.
add_custom_command(TARGET KQSetup POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/samples/KQPRINTER.INF ${CMAKE_BINARY_DIR}/bin/KQPRINTER.INF)
kq_sign(KQSetup)

# Wine's printui.dll lacks /if: the tests and the demo install this stand-in instead.
file(GLOB PRINTUI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/wine/printui/*.cpp)
if(PRINTUI_SOURCES)
  add_library(printui SHARED ${PRINTUI_SOURCES} ${CMAKE_SOURCE_DIR}/wine/printui/printui.def)
  set_target_properties(printui PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/wine)
  target_include_directories(printui PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(printui PRIVATE ${STATIC_RUNTIME})
  target_link_libraries(printui PRIVATE kqcore winspool)
endif()

# An executable that imports GetTickCount64 (Windows Vista), which the import check of the shipped
# executables must refuse: tests/static/check_executables.sh.
enable_language(C)
add_executable(planted_import_probe ${CMAKE_SOURCE_DIR}/tests/static/planted_import_probe.c)
set_target_properties(planted_import_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/probe)

# Test support code (fakes and registry seeding) shared by the unit tests, the end-to-end tests
# and the tools that prepare a Wine prefix.
file(GLOB TEST_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(kqtestsupport STATIC ${TEST_SUPPORT_SOURCES})
target_include_directories(kqtestsupport PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(kqtestsupport PUBLIC kqwin winspool setupapi shlwapi)

# Tools that run inside the Wine prefix (registry seeding and the like).
file(GLOB WINE_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/wine/tools/*.cpp)
foreach(src ${WINE_TOOL_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(${name} PRIVATE ${STATIC_RUNTIME})
  target_link_libraries(${name} PRIVATE kqtestsupport)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/wine)
endforeach()

# Google Test from Debian's source package, cross-compiled with the product.
if(EXISTS /usr/src/googletest/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Google Test's customisation header, for the -win32 runtime that has no std::mutex.
  target_include_directories(gtest BEFORE PUBLIC ${CMAKE_SOURCE_DIR}/tests/gtest_custom)
  enable_testing()
  include(GoogleTest)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine-run.sh)

  file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*/*_test.cpp)
  list(FILTER UNIT_TEST_SOURCES EXCLUDE REGEX "/tests/e2e/")
  add_executable(kq_tests ${UNIT_TEST_SOURCES} ${CMAKE_SOURCE_DIR}/tests/test_main.cpp $<TARGET_OBJECTS:kqres>)
  target_include_directories(kq_tests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_link_options(kq_tests PRIVATE ${STATIC_RUNTIME})
  target_link_libraries(kq_tests PRIVATE kqtestsupport gtest)
  set_target_properties(kq_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  add_dependencies(kq_tests KQSetup)
  if(HELPER_EXE)
    add_dependencies(kq_tests PHelper)
  endif()
  # Tests of what the whole prefix shares (the spooler, the service manager, the common files
  # folder, the mouse cursor, window activation) take turns; the others run side by side.
  set(SHARED_STATE_SUITES "LinkLabelWindow.*:LinkLabelOpen.*:DriverCommandsTest.*:InstallSequenceTest.*:PrinterListTest.*:PrinterSettings*:HelperServiceTest.*:HelperSwitchesTest.*:ServiceControl.*:SeedRecords.*:ExtractHelperService.*:WizardFrame.*:PrintUiStandIn.*")
  gtest_discover_tests(kq_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_FILTER "${SHARED_STATE_SUITES}"
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine_session)
  gtest_discover_tests(kq_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_FILTER "-${SHARED_STATE_SUITES}"
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin PROPERTIES TIMEOUT 300)

  file(GLOB E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
  if(E2E_SOURCES)
    add_executable(kq_e2e ${E2E_SOURCES} ${CMAKE_SOURCE_DIR}/tests/test_main.cpp)
    target_include_directories(kq_e2e PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
    target_link_options(kq_e2e PRIVATE ${STATIC_RUNTIME})
    target_link_libraries(kq_e2e PRIVATE kqtestsupport gtest)
    set_target_properties(kq_e2e PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    add_dependencies(kq_e2e KQSetup)
    # The layout check's probe, which a message hook loads into the wizard to measure its controls
    # with their own fonts (tests/e2e/layout_probe/layout_report.h).
    add_library(layout_probe SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/layout_probe/layout_probe.cpp)
    set_target_properties(layout_probe PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    target_include_directories(layout_probe PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_options(layout_probe PRIVATE ${STATIC_RUNTIME} -Wl,--kill-at)
    add_dependencies(kq_e2e layout_probe)
    gtest_discover_tests(kq_e2e DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE LABELS e2e)
  endif()
endif()
