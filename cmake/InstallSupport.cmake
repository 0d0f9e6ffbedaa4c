# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# What the install rules of the components share.

# nuvrel_version: "nuvrel_version.h" with NUVREL_VERSION, the project version, and
# NUVREL_VERSION_NOTICE, the copyright, licence and home page lines of cmake/ProjectFacts.cmake,
# for the programs' --version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version/nuvrel_version.h.in
    ${PROJECT_BINARY_DIR}/generated/nuvrel_version.h @ONLY)
add_library(nuvrel_version INTERFACE)
target_include_directories(nuvrel_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# Installed programs find the installed velk_series beside them, whatever the prefix: the package
# and `cmake --install --prefix` put the same tree in different places, and ldconfig need not know
# the library's folder.
file(RELATIVE_PATH nuvrel_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set(NUVREL_INSTALL_RPATH "$ORIGIN/${nuvrel_bin_to_lib}")

find_program(NUVREL_HELP2MAN help2man)
find_program(NUVREL_GZIP gzip)
if(CMAKE_CROSSCOMPILING OR NOT NUVREL_HELP2MAN OR NOT NUVREL_GZIP)
    message(STATUS "No manual pages: they need help2man, gzip and programs that run here")
endif()

# nuvrel_man_page(<program target> NAME <one-line summary> COMPONENT <install component>
#                 [INCLUDE <.h2m file>] [SUBCOMMANDS])
# Builds <program>.1.gz from the program's --help and --version (name, version, copyright and
# licence) with help2man and installs it in section 1.
# INCLUDE adds hand-written sections (help2man's include format); SUBCOMMANDS adds a COMMANDS
# section with the --help of every subcommand of a CLI11 program.
function(nuvrel_man_page program)
    cmake_parse_arguments(PARSE_ARGV 1 page "SUBCOMMANDS" "NAME;INCLUDE;COMPONENT" "")
    if(CMAKE_CROSSCOMPILING OR NOT NUVREL_HELP2MAN OR NOT NUVREL_GZIP)
        return()
    endif()
    set(page_file ${CMAKE_CURRENT_BINARY_DIR}/${program}.1)
    set(includes)
    set(depends ${program})
    if(page_SUBCOMMANDS)
        set(commands_file ${CMAKE_CURRENT_BINARY_DIR}/${program}-commands.h2m)
        set(script ${PROJECT_SOURCE_DIR}/cmake/subcommand_manual.sh)
        add_custom_command(OUTPUT ${commands_file}
            COMMAND ${script} $<TARGET_FILE:${program}> ${commands_file}
            DEPENDS ${program} ${script}
            COMMENT "Collecting the subcommands' help of ${program}"
            VERBATIM)
        list(APPEND includes --include=${commands_file})
        list(APPEND depends ${commands_file})
    endif()
    if(page_INCLUDE)
        list(APPEND includes --include=${page_INCLUDE})
        list(APPEND depends ${page_INCLUDE})
    endif()
    add_custom_command(OUTPUT ${page_file}.gz
        COMMAND ${NUVREL_HELP2MAN} --no-info --section=1 "--name=${page_NAME}"
            "--manual=User Commands" --source=Nuvrel
            ${includes} --output=${page_file} $<TARGET_FILE:${program}>
        # A CLI11 option group ("[Option Group: Faults]", "Options:") becomes a subsection.
        COMMAND sed -i -e
            [[/^\[Option Group: .*\]$/{N;N;s/^\[Option Group: \(.*\)\]\n\.IP\nOptions:$/.SS "\1"/}]]
            ${page_file}
        COMMAND ${NUVREL_GZIP} -9 -n -f ${page_file}
        DEPENDS ${depends}
        COMMENT "Generating the manual page of ${program}"
        VERBATIM)
    add_custom_target(${program}-man-page ALL DEPENDS ${page_file}.gz)
    install(FILES ${page_file}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT ${page_COMPONENT})
endfunction()

# nuvrel_written_man_page(<page source .1.in> COMPONENT <install component>)
# A manual page written by hand, for a program without a --help to build one from: @PROJECT_VERSION@
# in it becomes the project version; installed compressed in section 1.
function(nuvrel_written_man_page source)
    cmake_parse_arguments(PARSE_ARGV 1 page "" "COMPONENT" "")
    if(NOT NUVREL_GZIP)
        return()
    endif()
    get_filename_component(name ${source} NAME_WLE)
    set(page_file ${CMAKE_CURRENT_BINARY_DIR}/${name})
    configure_file(${source} ${page_file} @ONLY)
    # -n leaves the time out of the gzip header, so that builds of one source are identical.
    add_custom_command(OUTPUT ${page_file}.gz
        COMMAND ${NUVREL_GZIP} -9 -n -c ${page_file} > ${page_file}.gz
        DEPENDS ${page_file}
        COMMENT "Compressing the manual page ${name}")
    add_custom_target(${name}-man-page ALL DEPENDS ${page_file}.gz)
    install(FILES ${page_file}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT ${page_COMPONENT})
endfunction()
