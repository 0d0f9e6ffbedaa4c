# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Precompiled headers for the large header-only libraries. CLI11 and GoogleTest cost seconds of
# parsing in every file that includes them, which on two cores made the CLI and the tests most
# of a cold build. Each target that links one of them and has more than one source file gets a
# precompiled header of that library; -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON builds without them
# (to check that every file includes what it uses).

# nuvrel_precompile_heavy_headers(<directory>): applies the headers to every target defined in
# <directory> and below. Called once from the top CMakeLists.txt after all components are added.
function(nuvrel_precompile_heavy_headers directory)
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY)$")
            continue()
        endif()
        get_target_property(sources ${target} SOURCES)
        list(FILTER sources INCLUDE REGEX "\\.cpp$")
        list(LENGTH sources source_count)
        if(source_count LESS 2)
            continue()
        endif()
        get_target_property(links ${target} LINK_LIBRARIES)
        if(NOT links)
            continue()
        endif()
        set(headers)
        if("CLI11::CLI11" IN_LIST links)
            list(APPEND headers <CLI/CLI.hpp>)
        endif()
        if(links MATCHES "GTest::(gtest|gmock)")
            list(APPEND headers <gtest/gtest.h>)
        endif()
        if(links MATCHES "GTest::gmock")
            list(APPEND headers <gmock/gmock.h>)
        endif()
        if(headers)
            target_precompile_headers(${target} PRIVATE ${headers})
        endif()
    endforeach()
    get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    foreach(subdirectory ${subdirectories})
        nuvrel_precompile_heavy_headers(${subdirectory})
    endforeach()
endfunction()
