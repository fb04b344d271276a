# Delay-loaded system DLLs. Loading a DLL costs start-up time under every Windows
# (and a lot under Wine); the launcher needs WinINet, GDI+ and a few others only
# once it shows its windows or makes a request, not in its short start modes.
#
# gantry_system_library(<name> <dll>) makes an INTERFACE target gantry_sys_<name>
# that links the ordinary import library <name>, or, for a target whose property
# GANTRY_DELAY_LOAD is true, a delay-load import library generated here from the
# ordinary one (its exports listed with nm, rebuilt with dlltool --output-delaylib).
# The delay-load helper comes from the mingw runtime (libmingwex).
function(gantry_system_library name dll)
    set(target gantry_sys_${name})
    add_library(${target} INTERFACE)
    set(delay_lib "")
    # Only for x64: in i686 builds the delay-load thunks that dlltool makes for
    # stdcall functions resolved GDI+ calls to null (a jump to address 0 on the
    # first decode), so the 32-bit launcher imports these DLLs in the ordinary way.
    if(CMAKE_DLLTOOL AND CMAKE_NM AND CMAKE_SIZEOF_VOID_P EQUAL 8)
        find_library(import_lib_${name} NAMES lib${name}.a ${name})
        set(import_lib ${import_lib_${name}})
        if(import_lib)
            set(dir ${CMAKE_BINARY_DIR}/delayload)
            set(def ${dir}/${name}.def)
            set(delay_lib ${dir}/lib${name}_delay.a)
            set(prefix "__imp_")
            if(NOT EXISTS ${delay_lib} OR ${import_lib} IS_NEWER_THAN ${delay_lib})
                file(MAKE_DIRECTORY ${dir})
                execute_process(COMMAND ${CMAKE_NM} --defined-only ${import_lib}
                                OUTPUT_VARIABLE symbols ERROR_QUIET RESULT_VARIABLE nm_result)
                string(REGEX MATCHALL "${prefix}[A-Za-z0-9_@?]+" imports "${symbols}")
                list(TRANSFORM imports REPLACE "^${prefix}" "")
                list(REMOVE_DUPLICATES imports)
                list(JOIN imports "\n" exports)
                file(WRITE ${def} "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
                execute_process(COMMAND ${CMAKE_DLLTOOL} -d ${def} -y ${delay_lib} -D ${dll}
                                RESULT_VARIABLE dlltool_result ERROR_VARIABLE dlltool_error)
                if(NOT dlltool_result EQUAL 0 OR NOT nm_result EQUAL 0)
                    message(WARNING "no delay-load library for ${dll}: ${dlltool_error}")
                    set(delay_lib "")
                endif()
            endif()
        endif()
    endif()
    if(delay_lib)
        target_link_libraries(${target} INTERFACE
            "$<IF:$<BOOL:$<TARGET_PROPERTY:GANTRY_DELAY_LOAD>>,${delay_lib};mingwex,${name}>")
    else()
        target_link_libraries(${target} INTERFACE ${name})
    endif()
endfunction()
