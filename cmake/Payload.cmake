# The payload: the application tree that travels inside the installer as
# RCDATA 109 (language 1033), sealed as a "CRYP" container.
#
# VANTRELLE_PAYLOAD_DIR names the tree. The default is the stand-in under
# payload/tree, to which the build adds generated sounds and its own
# Vantrelle.exe; any other tree is packed as it is (it carries its own exe).
get_filename_component(VANTRELLE_STANDIN_TREE "${CMAKE_CURRENT_LIST_DIR}/../payload/tree" ABSOLUTE)
set(VANTRELLE_PAYLOAD_DIR "${VANTRELLE_STANDIN_TREE}" CACHE PATH
    "Application tree packed into the installer (default: the stand-in)")

# Fixed date for every packed file, so the cabinet depends on the tree only.
set(VANTRELLE_PAYLOAD_DATE "2026-11-30 12:00:00 UTC")

# vantrelle_add_payload_resource(TARGET)
# Compiles the sealed payload into TARGET as RCDATA 109, language 1033.
function(vantrelle_add_payload_resource target)
    if(NOT TARGET vantrelle_payload_resource)
        message(FATAL_ERROR "vantrelle_add_payload_resource: payload/ is not part of this build")
    endif()
    target_link_libraries(${target} PRIVATE vantrelle_payload_resource)
endfunction()
