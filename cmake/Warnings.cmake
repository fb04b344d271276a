function(gantry_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(GANTRY_SANITIZE AND NOT WIN32)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                               -fno-sanitize-recover=undefined)
        target_link_options(${target} PUBLIC -fsanitize=address,undefined)
    endif()
endfunction()
