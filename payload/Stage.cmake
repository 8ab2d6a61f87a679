# Run as a script at build time: stage the tree, pack it with gcab, seal it.
#   -DTREE= -DSTAGE= -DCAB= -DOUTPUT= -DGCAB= -DCABCRYPT= -DDATE=
#   optional: -DSOUNDS_SCRIPT= -DPYTHON= (generate Sound/) -DAPP_EXE= (add Vantrelle.exe)
cmake_minimum_required(VERSION 3.25)

foreach(var TREE STAGE CAB OUTPUT GCAB CABCRYPT DATE)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "Stage.cmake: ${var} is not set")
    endif()
endforeach()

# gcab turns each file's mtime into a DOS date in local time: pin the zone.
set(ENV{TZ} UTC)
set(ENV{LC_ALL} C)

file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
# Fixed permissions: gcab derives the stored attributes from them.
file(COPY "${TREE}/" DESTINATION "${STAGE}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
     DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                           WORLD_READ WORLD_EXECUTE)
if(SOUNDS_SCRIPT)
    execute_process(COMMAND "${PYTHON}" "${SOUNDS_SCRIPT}" "${STAGE}" COMMAND_ERROR_IS_FATAL ANY)
endif()
if(APP_EXE)
    file(COPY "${APP_EXE}" DESTINATION "${STAGE}"
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endif()

file(GLOB_RECURSE files RELATIVE "${STAGE}" LIST_DIRECTORIES false "${STAGE}/*")
list(SORT files)
list(LENGTH files count)
if(count EQUAL 0)
    message(FATAL_ERROR "Stage.cmake: ${TREE} holds no files")
endif()

execute_process(COMMAND touch -h -d "${DATE}" ${files}
                WORKING_DIRECTORY "${STAGE}" COMMAND_ERROR_IS_FATAL ANY)

# Relative names, so the cabinet stores paths below the install directory.
file(REMOVE "${CAB}")
execute_process(COMMAND "${GCAB}" -c -z "${CAB}" ${files}
                WORKING_DIRECTORY "${STAGE}" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CABCRYPT}" seal "${CAB}" "${OUTPUT}" COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "payload: ${count} files from ${TREE}")
