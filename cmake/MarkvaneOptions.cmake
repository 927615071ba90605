# One place for the language level, warnings and Qt's strictness switches.
add_library(markvane_options INTERFACE)
target_compile_features(markvane_options INTERFACE cxx_std_20)
target_compile_options(markvane_options INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(markvane_options INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
