# One place for the language level, warnings and Qt's strictness switches.
add_library(markvane_options INTERFACE)
target_compile_features(markvane_options INTERFACE cxx_std_20)
target_compile_options(markvane_options INTERFACE -Wall -Wextra -Wpedantic -Wcast-qual -Wshadow
  $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast -Woverloaded-virtual -Wnon-virtual-dtor>)
target_compile_definitions(markvane_options INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_DISABLE_DEPRECATED_BEFORE=0x060400)

# CI builds with every warning an error, so none can creep in.
option(MARKVANE_WERROR "Treat warnings as errors" OFF)
if(MARKVANE_WERROR)
  target_compile_options(markvane_options INTERFACE -Werror)
endif()

# AddressSanitizer and UndefinedBehaviorSanitizer for everything built in this tree. Meant for
# a build of the non-GUI libraries and their tests (tests/ then leaves out the widget tests).
# Any undefined behaviour stops the program, so a test cannot pass over it.
option(MARKVANE_SANITIZE "Build with ASan and UBSan" OFF)
if(MARKVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# libFuzzer targets in tests/fuzz; the libraries get its coverage instrumentation.
option(MARKVANE_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(MARKVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "MARKVANE_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
