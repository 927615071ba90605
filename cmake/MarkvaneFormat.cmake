# `format` rewrites the sources with the project's .clang-format; `format-check` fails when
# any file differs from it (CI runs it).
find_program(CLANG_FORMAT_EXECUTABLE NAMES clang-format-14 clang-format REQUIRED)
foreach(target format format-check)
  set(arg "")
  if(target STREQUAL format-check)
    set(arg --check)
  endif()
  add_custom_target(${target}
    COMMAND ${CMAKE_COMMAND} -E env CLANG_FORMAT=${CLANG_FORMAT_EXECUTABLE}
            bash ${PROJECT_SOURCE_DIR}/scripts/format.sh ${arg}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    USES_TERMINAL)
endforeach()
