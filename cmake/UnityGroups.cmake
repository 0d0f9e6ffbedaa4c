# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# nuvrel-cli's command files each include CLI11, a header-only library whose inline functions
# every file compiled again: about 10 s of CPU a file, most of a cold build of what scripts/demo
# runs. Compiled as two unity files (one per core of a small machine) they take a quarter of
# that. Only the files listed here are merged, so a new file never breaks the build; two merged
# files that define the same name in their anonymous namespaces do (the error names both): move
# one of them to the other group, or leave it out. -DNUVREL_UNITY_GROUPS=OFF compiles every
# file alone.
option(NUVREL_UNITY_GROUPS "Compile nuvrel-cli's command files as two unity files" ON)

if(NUVREL_UNITY_GROUPS AND TARGET nuvrel-cli)
    set(nuvrel_cli_groups
        front main console_progress device_access devices_command doctor_command each_device
              udev_rule_command operation_report printable_text info_command compat_command
              save_ram_commands save_convert_command rom_header_command
        rom game_genie_commands rom_command_support rom_commands rom_convert_command
            rom_read_command rom_verify_command rom_write_changed rom_write_command)
    set(group "")
    foreach(word ${nuvrel_cli_groups})
        if(word STREQUAL "front" OR word STREQUAL "rom")
            set(group ${word})
            continue()
        endif()
        set_source_files_properties(${PROJECT_SOURCE_DIR}/nuvrel-cli/${word}.cpp
            DIRECTORY ${PROJECT_SOURCE_DIR}/nuvrel-cli
            PROPERTIES UNITY_GROUP ${group})
    endforeach()
    set_target_properties(nuvrel-cli PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
endif()
