# vantrelle_program(TARGET): links a shipped GUI program of ours the way users
# get it. Its first code is product/ProcessEntry.cpp (listed in its sources),
# which narrows the DLL search before the runtime starts; i686 symbols carry an
# underscore. Shipped without symbols or debugging sections (the static runtime
# brings both): smaller to download, and no map of the internals. The link map,
# kept beside the program, turns a crash address back into a function.
function(vantrelle_program target)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(entry _ProgramEntry)
    else()
        set(entry ProgramEntry)
    endif()
    target_link_options(${target} PRIVATE -municode -mwindows -Wl,-e,${entry} -s
        -Wl,-Map=$<TARGET_FILE_DIR:${target}>/${target}.map)
endfunction()
