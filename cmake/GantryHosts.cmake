# The six deployment hosts. Each is "host", "host:port" or "scheme://host[:port]"
# with the scheme http or https. A host without a scheme is reached over https in
# a release build (GANTRY_RELEASE) and over http otherwise (the dev and test
# presets, whose simulator ports speak http). A release build refuses an http host
# unless ALLOW_PLAIN_HTTP is on: the login page carries the player's password,
# the version file decides what is started.
#
# gantry_split_hosts() sets <VAR>_BARE ("host[:port]") and <VAR>_SCHEME for each
# of the variables in GANTRY_HOST_VARIABLES.
set(GANTRY_HOST_VARIABLES PLATFORM_WEB_HOST PLATFORM_LOGIN_HOST PLATFORM_GAME_HOST UPDATE_HOST BEACON_HOST
    UNION_STATS_HOST)
option(ALLOW_PLAIN_HTTP "Let a release build reach a host over plain http (an http:// host)" OFF)

function(gantry_split_hosts)
    set(default_scheme http)
    if(GANTRY_RELEASE)
        set(default_scheme https)
    endif()
    foreach(variable ${GANTRY_HOST_VARIABLES})
        set(value "${${variable}}")
        set(scheme ${default_scheme})
        set(bare "${value}")
        if(value MATCHES "^([A-Za-z][A-Za-z0-9+.-]*)://(.*)$")
            string(TOLOWER "${CMAKE_MATCH_1}" scheme)
            set(bare "${CMAKE_MATCH_2}")
        endif()
        if(NOT scheme MATCHES "^https?$")
            message(FATAL_ERROR "${variable} \"${value}\": the scheme must be http or https")
        endif()
        if(NOT bare MATCHES "^([A-Za-z0-9._-]+|\\[[0-9A-Fa-f:.]+\\])(:[0-9]+)?$")
            message(FATAL_ERROR "${variable} \"${value}\" is not \"host\", \"host:port\" or "
                "\"https://host[:port]\" (no path, no user, no trailing /)")
        endif()
        if(GANTRY_RELEASE AND scheme STREQUAL "http" AND NOT ALLOW_PLAIN_HTTP)
            message(FATAL_ERROR "${variable} \"${value}\" is reached over plain http, where anyone on the "
                "way can read and change what it serves. Give it as https://${bare} (the default for a "
                "host without a scheme), or pass -DALLOW_PLAIN_HTTP=ON to allow it.")
        endif()
        set(${variable}_BARE "${bare}" PARENT_SCOPE)
        set(${variable}_SCHEME "${scheme}" PARENT_SCOPE)
    endforeach()
endfunction()
