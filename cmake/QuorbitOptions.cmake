# One options target that every library, program and test links.
add_library(quorbit_options INTERFACE)
target_compile_options(quorbit_options INTERFACE -Wall -Wextra)
if(QUORBIT_WERROR)
  target_compile_options(quorbit_options INTERFACE -Werror)
endif()

if(QUORBIT_SANITIZE STREQUAL "address")
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
