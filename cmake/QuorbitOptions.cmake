# One options target that every library, program and test links.
add_library(quorbit_options INTERFACE)
target_compile_options(quorbit_options INTERFACE -Wall -Wextra)
if(QUORBIT_WERROR)
  target_compile_options(quorbit_options INTERFACE -Werror)
endif()

if(QUORBIT_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QUORBIT_FUZZ needs clang for libFuzzer, but the C++ compiler is "
                        "${CMAKE_CXX_COMPILER_ID}: configure a new build folder with "
                        "-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++")
  endif()
  if(NOT QUORBIT_SANITIZE STREQUAL "")
    message(FATAL_ERROR "QUORBIT_FUZZ brings its own sanitizers: leave QUORBIT_SANITIZE empty")
  endif()
  # Libraries get the fuzzer's coverage hooks without its main(); the fuzz targets link
  # quorbit_fuzz_options for the main(). Undefined behaviour stops the run like a crash would.
  set(QUORBIT_FUZZ_SANITIZERS -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_compile_options(quorbit_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                   ${QUORBIT_FUZZ_SANITIZERS})
  target_link_options(quorbit_options INTERFACE -fsanitize=address,undefined)
  add_library(quorbit_fuzz_options INTERFACE)
  target_compile_options(quorbit_fuzz_options INTERFACE -fsanitize=fuzzer,address,undefined
                                                        ${QUORBIT_FUZZ_SANITIZERS})
  target_link_options(quorbit_fuzz_options INTERFACE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(quorbit_fuzz_options INTERFACE quorbit_options)
elseif(QUORBIT_SANITIZE STREQUAL "address")
  target_compile_options(quorbit_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                   -fno-sanitize-recover=undefined)
  target_link_options(quorbit_options INTERFACE -fsanitize=address,undefined)
elseif(QUORBIT_SANITIZE STREQUAL "thread")
  target_compile_options(quorbit_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(quorbit_options INTERFACE -fsanitize=thread)
elseif(NOT QUORBIT_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QUORBIT_SANITIZE must be empty, 'address' or 'thread'")
endif()

find_package(Threads REQUIRED)
target_link_libraries(quorbit_options INTERFACE Threads::Threads)
