# SPDX-License-Identifier: GPL-3.0-or-later
# Shared build settings: warnings, sanitizers and the one-library-per-folder rule.

function(dorvane_compile_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(DORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(DORVANE_FUZZ)
  # Everything is instrumented for coverage; only the targets link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(DORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(DORVANE_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# dorvane_library(<name> [DEPS targets...])
# Builds every .cpp/.h of the calling folder into the static library dorvane_<name>.
# New files are picked up at the next build without touching this file.
# DEPS are the libraries of exactly the folders the layer table of ARCHITECTURE.md
# lets this one include, and the outside libraries it uses: its headers include
# theirs, so they are linked PUBLIC. The include folder is the source root for
# every library (headers are named "folder/name.h"); the CTest `layers` holds
# each folder's includes to its row of the table.
function(dorvane_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  set(target dorvane_${name})
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
    dorvane_compile_options(${target})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
  endif()
  add_library(dorvane::${name} ALIAS ${target})
endfunction()
