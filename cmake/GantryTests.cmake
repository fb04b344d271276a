# Test registration. Every test program is a GoogleTest executable whose results
# land as XML in ${GANTRY_RESULTS_DIR}; scripts/test sums them over all builds.
set(GANTRY_RESULTS_DIR ${CMAKE_BINARY_DIR}/test-results)

# Windows builds: which Wine prefixes each test program runs in. The i686 build
# runs everything twice: under WoW64 in a 64-bit prefix and in a 32-bit prefix.
if(WIN32)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(GANTRY_WINE_PREFIXES win64)
    else()
        set(GANTRY_WINE_PREFIXES wow64 win32)
    endif()
endif()

function(_gantry_wine_arch prefix out)
    if(prefix STREQUAL "win32")
        set(${out} win32 PARENT_SCOPE)
    else()
        set(${out} win64 PARENT_SCOPE)
    endif()
endfunction()

# One throw-away prefix per ctest run and prefix kind: created (with its own Xvfb
# when there is no display) before the first test that needs it, removed after the last.
function(gantry_wine_fixtures)
    foreach(prefix ${GANTRY_WINE_PREFIXES})
        _gantry_wine_arch(${prefix} arch)
        set(dir ${CMAKE_BINARY_DIR}/wineprefix-${prefix})
        add_test(NAME wine.setup.${prefix}
                 COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-fixture setup ${dir} ${arch})
        add_test(NAME wine.cleanup.${prefix}
                 COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-fixture cleanup ${dir} ${arch})
        set_tests_properties(wine.setup.${prefix} PROPERTIES FIXTURES_SETUP wine-${prefix} TIMEOUT 180)
        set_tests_properties(wine.cleanup.${prefix} PROPERTIES FIXTURES_CLEANUP wine-${prefix} TIMEOUT 60)
    endforeach()
endfunction()

# --- Local platform simulator (tools/platform-sim) ---------------------------------
# A test registered with SIM runs under tools/platform-sim/with-sim: a simulator on
# free ports beside it, its addresses in GANTRY_SIM_WEB, _LOGIN, _GAME, _UPDATE,
# _BEACON and _UNION ("127.0.0.1:port"). SIM_ARGS go to with-sim (for instance
# "--ports dev" for the dev ports, which also takes the lock "sim-dev-ports").

# The command that starts the test program <target>. Without SIM it is the target
# name itself, so ctest still prepends CMAKE_CROSSCOMPILING_EMULATOR (cmake/wine-test);
# with SIM it is not, so the Windows builds name the Wine wrapper explicitly.
function(_gantry_sim_command out target sim sim_args)
    if(NOT sim)
        set(${out} ${target} PARENT_SCOPE)
    elseif(WIN32)
        set(${out} ${CMAKE_SOURCE_DIR}/tools/platform-sim/with-sim ${sim_args} --
                   ${CMAKE_SOURCE_DIR}/cmake/wine-test $<TARGET_FILE:${target}> PARENT_SCOPE)
    else()
        set(${out} ${CMAKE_SOURCE_DIR}/tools/platform-sim/with-sim ${sim_args} -- $<TARGET_FILE:${target}>
            PARENT_SCOPE)
    endif()
endfunction()

function(_gantry_sim_properties test sim sim_args)
    if(NOT sim)
        return()
    endif()
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "GANTRY_PYTHON=${Python3_EXECUTABLE}")
    set_property(TEST ${test} APPEND PROPERTY LABELS sim)
    if("dev" IN_LIST sim_args)
        set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK sim-dev-ports)
    elseif(GANTRY_SIM_BUILD_PORTS)
        # The build's ports, with or without further options (such as --tls).
        string(FIND "${sim_args}" "${GANTRY_SIM_BUILD_PORTS}" at)
        if(at EQUAL 0)
            set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK sim-build-ports)
        endif()
    endif()
endfunction()
# GANTRY_SIM_BUILD_PORTS: SIM_ARGS that put the simulator on the ports this build's
# launcher was configured for (when all six hosts are 127.0.0.1:port), for tests that
# run the launcher itself against it; such tests take the lock "sim-build-ports", as
# do the tests whose launcher code talks to those hosts with nothing serving them.
set(GANTRY_SIM_BUILD_PORTS "")
set(_sim_ports "")
foreach(pair web:PLATFORM_WEB_HOST login:PLATFORM_LOGIN_HOST game:PLATFORM_GAME_HOST update:UPDATE_HOST
             beacon:BEACON_HOST union:UNION_STATS_HOST)
    string(REPLACE ":" ";" pair "${pair}")
    list(GET pair 0 sim_host)
    list(GET pair 1 variable)
    if("${${variable}_BARE}" MATCHES "^127\\.0\\.0\\.1:([0-9]+)$")
        list(APPEND _sim_ports "${sim_host}=${CMAKE_MATCH_1}")
    endif()
endforeach()
list(LENGTH _sim_ports _sim_count)
if(_sim_count EQUAL 6)
    list(JOIN _sim_ports "," _sim_ports)
    set(GANTRY_SIM_BUILD_PORTS --ports ${_sim_ports})
endif()

# --- end of the simulator block ------------------------------------------------------

# gantry_native_test(<name> SOURCES <files...> [LIBS <libs...>] [SIM [SIM_ARGS <args...>]])
# A test of Windows-independent logic; built and run only in the native builds.
# Links app_logic plus the given *_logic layers. SIM: see the simulator block above.
function(gantry_native_test name)
    if(WIN32)
        return()
    endif()
    cmake_parse_arguments(T "SIM" "" "SOURCES;LIBS;SIM_ARGS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE app_logic ${T_LIBS} GTest::gtest_main)
    # Tests that read shipped files (the skin images) find them from here.
    target_compile_definitions(${name} PRIVATE GANTRY_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    gantry_warnings(${name})
    _gantry_sim_command(command ${name} "${T_SIM}" "${T_SIM_ARGS}")
    add_test(NAME ${name} COMMAND ${command} --gtest_output=xml:${GANTRY_RESULTS_DIR}/${name}.xml)
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
    _gantry_sim_properties(${name} "${T_SIM}" "${T_SIM_ARGS}")
endfunction()

# gantry_win_test(<name> SOURCES <files...> [LIBS <libs...>] [RESOURCE_LOCK <locks...>]
#                 [TIMEOUT <seconds>] [CONSOLE] [SIM [SIM_ARGS <args...>]] [OWN_PREFIX])
# A Windows test program, run under Wine in each prefix of this build (OWN_PREFIX: in
# a fresh 64-bit prefix of its own, made and removed by cmake/wine-test, for a test
# that changes the machine as an installer does; only in 64-bit builds). It links
# app_base plus the given layers (ui_win, browser_win, net_win, app_win). Tests that
# touch state shared across the prefix (the launcher's app-data folder, the HKCU
# Run key, fixed simulator ports) name a RESOURCE_LOCK so ctest runs them one at a time.
# SIM: see the simulator block above.
function(gantry_win_test name)
    if(NOT WIN32)
        return()
    endif()
    cmake_parse_arguments(T "SIM;OWN_PREFIX" "TIMEOUT" "SOURCES;LIBS;RESOURCE_LOCK;SIM_ARGS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    if(T_OWN_PREFIX AND NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
        return()
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE app_base ${T_LIBS} GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE GANTRY_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                               GANTRY_BINARY_DIR="${CMAKE_BINARY_DIR}")
    gantry_warnings(${name})
    _gantry_sim_command(command ${name} "${T_SIM}" "${T_SIM_ARGS}")
    if(T_OWN_PREFIX)
        if(NOT T_SIM)
            set(command ${CMAKE_SOURCE_DIR}/cmake/wine-test $<TARGET_FILE:${name}>)
        endif()
        add_test(NAME ${name}.win64 COMMAND ${command} --gtest_output=xml:Z:${GANTRY_RESULTS_DIR}/${name}.win64.xml
                 WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
        set_tests_properties(${name}.win64 PROPERTIES TIMEOUT ${T_TIMEOUT})
        if(T_RESOURCE_LOCK)
            set_tests_properties(${name}.win64 PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
        endif()
        _gantry_sim_properties(${name}.win64 "${T_SIM}" "${T_SIM_ARGS}")
        return()
    endif()
    foreach(prefix ${GANTRY_WINE_PREFIXES})
        # GoogleTest on Windows takes a path without a drive letter as relative to the
        # working directory; Wine's drive Z: is the Unix root.
        add_test(NAME ${name}.${prefix}
                 COMMAND ${command} --gtest_output=xml:Z:${GANTRY_RESULTS_DIR}/${name}.${prefix}.xml
                 WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
        set_tests_properties(${name}.${prefix} PROPERTIES
            ENVIRONMENT "GANTRY_WINE_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-${prefix}"
            FIXTURES_REQUIRED wine-${prefix}
            TIMEOUT ${T_TIMEOUT})
        if(T_RESOURCE_LOCK)
            set_tests_properties(${name}.${prefix} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
        endif()
        _gantry_sim_properties(${name}.${prefix} "${T_SIM}" "${T_SIM_ARGS}")
    endforeach()
endfunction()
