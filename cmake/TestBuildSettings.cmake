# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The test programs are compiled for a short build rather than for speed at run time: in a release
# build they take -Og with line tables only (backtraces still name file and line), and their
# sources are compiled eight at a time as unity files, so the headers and templates they share are
# compiled once. The code they test keeps the release flags. Test tools whose own speed the suite
# waits on (the USB device-node emulator) are left as they are: only targets named *_test,
# *_tests or *_test_support change, and those with the property NUVREL_SEPARATE_SOURCES keep a
# compiler run per source. -DNUVREL_FAST_TEST_BUILD=OFF compiles the tests like the rest.
option(NUVREL_FAST_TEST_BUILD "Compile the test programs for build speed" ON)

function(nuvrel_fast_test_build directory)
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|OBJECT_LIBRARY)$"
           OR NOT target MATCHES "_(test|tests|test_support)$")
            continue()
        endif()
        get_target_property(sources ${target} SOURCES)
        list(LENGTH sources source_count)
        get_target_property(separate ${target} NUVREL_SEPARATE_SOURCES)
        if(source_count GREATER 1 AND NOT separate)
            set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
            # Only the unity file is a main file to GCC, so a helper type in an anonymous namespace
            # would look like one in a header.
            target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
        endif()
        target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo,Release>:-Og -g1>)
        # GCC takes the program's precompiled Qt header at these flags too (-Winvalid-pch with
        # -Werror would stop the build if it did not).
        get_target_property(libraries ${target} LINK_LIBRARIES)
        if("nuvrel_gui_test_support" IN_LIST libraries OR "nuvrel_shell" IN_LIST libraries)
            nuvrel_qt_precompiled_header(${target})
        endif()
    endforeach()
    get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    foreach(subdirectory ${subdirectories})
        nuvrel_fast_test_build(${subdirectory})
    endforeach()
endfunction()
