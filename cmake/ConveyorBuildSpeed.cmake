# What keeps a build from a clean tree short on a small machine: every target is a unity
# build, each group of targets shares one precompiled header of the Qt and standard headers
# nearly every file includes, and lld links when it is there.
#
# Include before the first target; then, once the targets exist, call
#   conveyor_precompile(CORE|WIDGETS|TEST_CORE|TEST_WIDGETS TARGET...)
# for each target. A header is only reused where it was built with the same flags and
# macros as the target that reads it (-Winvalid-pch, an error under CONVEYOR_WERROR), so the
# groups follow the Qt modules a target uses, and the tests, which also see GoogleTest's
# macros, have groups of their own.

set(CMAKE_UNITY_BUILD ON CACHE BOOL "Compile the sources of each target in batches")
set(CMAKE_UNITY_BUILD_BATCH_SIZE 8 CACHE STRING "Sources in one unity batch")

# GCC reads each source of a unity batch as a header, and so takes a test fixture in an
# anonymous namespace that a TEST_F derives from for one a header would share; in a source
# file of its own, as each of them is, it is sound.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_UNITY_BUILD)
  add_compile_options(-Wno-subobject-linkage)
endif()

option(CONVEYOR_PCH "Share precompiled Qt and standard headers between targets" ON)

# Full debug information costs a third of the compile time of the test programs; line tables
# (-g1) still give every backtrace, a sanitizer's reports included, its files and lines.
# scripts/test turns this on; a tree for a debugger keeps -g.
option(CONVEYOR_LINE_TABLES "Debug information of line tables only (-g1)" OFF)
if(CONVEYOR_LINE_TABLES)
  foreach(config DEBUG RELWITHDEBINFO)
    foreach(language C CXX)
      string(REGEX REPLACE "(^| )-g( |$)" "\\1-g1\\2" CMAKE_${language}_FLAGS_${config}
        "${CMAKE_${language}_FLAGS_${config}}")
    endforeach()
  endforeach()
endif()

# bfd spends most of a sanitizer build's link steps on its debug sections.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld CONVEYOR_HAVE_LLD)
if(CONVEYOR_HAVE_LLD)
  add_link_options(-fuse-ld=lld)
endif()

set(CONVEYOR_PCH_CORE
  <algorithm> <array> <cstdint> <cstring> <functional> <memory> <optional> <span>
  <string> <utility> <vector>
  <QByteArray> <QDir> <QFile> <QFileInfo> <QObject> <QString> <QStringList>)
set(CONVEYOR_PCH_WIDGETS ${CONVEYOR_PCH_CORE}
  <QApplication> <QComboBox> <QPainter> <QPixmap> <QPointer> <QWidget>)

# One host target per group builds the group's header; the members read it.
function(conveyor_add_pch_host name)
  cmake_parse_arguments(ARG "" "" "HEADERS;LIBS" ${ARGN})
  set(source ${CMAKE_BINARY_DIR}/pch/${name}.cpp)
  if(NOT EXISTS ${source})
    file(WRITE ${source} "// Only here so that the target builds its precompiled header.\n")
  endif()
  add_library(${name} OBJECT ${source})
  set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF UNITY_BUILD OFF)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} conveyor_options)
  target_precompile_headers(${name} PRIVATE ${ARG_HEADERS})
endfunction()

# conveyor_precompile(GROUP TARGET...)
function(conveyor_precompile group)
  if(NOT CONVEYOR_PCH)
    return()
  endif()
  string(TOLOWER "conveyor_pch_${group}" host)
  if(NOT TARGET ${host})
    if(group STREQUAL "CORE")
      conveyor_add_pch_host(${host} HEADERS ${CONVEYOR_PCH_CORE} LIBS Qt6::Core)
    elseif(group STREQUAL "WIDGETS")
      conveyor_add_pch_host(${host} HEADERS ${CONVEYOR_PCH_WIDGETS} LIBS Qt6::Widgets)
    elseif(group STREQUAL "TEST_CORE")
      conveyor_add_pch_host(${host} HEADERS ${CONVEYOR_PCH_CORE} <gtest/gtest.h>
        LIBS Qt6::Core GTest::gtest)
    elseif(group STREQUAL "TEST_WIDGETS")
      conveyor_add_pch_host(${host} HEADERS ${CONVEYOR_PCH_WIDGETS} <gtest/gtest.h>
        LIBS Qt6::Widgets GTest::gtest)
    else()
      message(FATAL_ERROR "conveyor_precompile: unknown group ${group}")
    endif()
  endif()
  foreach(target IN LISTS ARGN)
    target_precompile_headers(${target} REUSE_FROM ${host})
  endforeach()
endfunction()
