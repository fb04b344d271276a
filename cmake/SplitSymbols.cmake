# The launcher ships stripped. gantry_split_symbols(<target>) moves the symbols of
# the linked executable (its symbol table and any DWARF debug information) into
# <name>.debug beside it and strips the executable, which keeps a .gnu_debuglink
# section naming that file with its CRC, so a debugger or crash tool that follows
# the link (gdb, winedbg) finds the symbols for a crash address of that very build.
function(gantry_split_symbols target)
    if(NOT CMAKE_OBJCOPY)
        message(WARNING "no objcopy: ${target} keeps its symbols")
        return()
    endif()
    # Relative names: the link records only the file name, found beside the executable.
    set(debug_file $<TARGET_FILE_BASE_NAME:${target}>.debug)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}> ${debug_file}
        COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${debug_file} $<TARGET_FILE_NAME:${target}>
        WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
        COMMENT "Symbols of ${target} into ${debug_file}"
        VERBATIM)
endfunction()
