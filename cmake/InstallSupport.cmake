# What the install rules of the components share.

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

# nuvrel_man_page(<program target> NAME <one-line summary> [INCLUDE <.h2m file>] [SUBCOMMANDS])
# Builds <program>.1.gz from the program's --help with help2man and installs it in section 1.
# INCLUDE adds hand-written sections (help2man's include format); SUBCOMMANDS adds a COMMANDS
# section with the --help of every subcommand of a CLI11 program.
function(nuvrel_man_page program)
    cmake_parse_arguments(PARSE_ARGV 1 page "SUBCOMMANDS" "NAME;INCLUDE" "")
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
            --version-string=${PROJECT_VERSION} "--manual=User Commands" --source=Nuvrel
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
    install(FILES ${page_file}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
