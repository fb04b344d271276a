function(gantry_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(GANTRY_SANITIZE AND NOT WIN32)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                               -fno-sanitize-recover=undefined)
        target_link_options(${target} PUBLIC -fsanitize=address,undefined)
    endif()
    if(GANTRY_FUZZ)
        # Everything is instrumented for the fuzzer's coverage; only the fuzz targets
        # link its driver (tests/fuzz).
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined
                               -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
        target_link_options(${target} PUBLIC -fsanitize=address,undefined)
    endif()
endfunction()
