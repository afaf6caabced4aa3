# The host-native build: the portable code under AddressSanitizer and UBSan, and the fuzzers.
enable_testing()
set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(kqcore PRIVATE ${SANITIZE} -g)
target_link_options(kqcore PUBLIC ${SANITIZE})

find_package(GTest)
if(NOT GTest_FOUND AND EXISTS /usr/src/googletest/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_library(GTest::gtest ALIAS gtest)
endif()

add_executable(kq_host_tests ${CORE_TEST_SOURCES} ${CMAKE_SOURCE_DIR}/tests/test_main.cpp)
target_include_directories(kq_host_tests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(kq_host_tests PRIVATE ${SANITIZE} -g)
target_link_libraries(kq_host_tests PRIVATE kqcore GTest::gtest)
include(GoogleTest)
gtest_discover_tests(kq_host_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS host)

# libFuzzer targets: one per file in fuzz/, built only with clang.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
  foreach(src ${FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src} ${CORE_SOURCES})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -g -O1)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  endforeach()
endif()

# Throughput of the text decoder next to memcpy: optimised and without sanitizers, built only when
# Google Benchmark (libbenchmark-dev) is installed.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  add_executable(text_decoder_benchmark ${CMAKE_SOURCE_DIR}/benchmark/text_decoder_benchmark.cpp
                                        ${CMAKE_SOURCE_DIR}/package/text_decoder_core.cpp)
  target_include_directories(text_decoder_benchmark PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(text_decoder_benchmark PRIVATE -O2)
  target_link_libraries(text_decoder_benchmark PRIVATE benchmark::benchmark)
endif()
