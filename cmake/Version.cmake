# Checks VANTRELLE_VERSION (major.minor.patch) and VANTRELLE_RELEASE_NUMBER and
# writes them, in the forms the sources need, to generated/Version.h in the
# build tree: C++ and the resource compiler both include it.
if(NOT VANTRELLE_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "VANTRELLE_VERSION is \"${VANTRELLE_VERSION}\"; it must be major.minor.patch, such as 5.3.1")
endif()
foreach(part ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
    # A version record holds each part in 16 bits.
    if(part GREATER 65535)
        message(FATAL_ERROR "VANTRELLE_VERSION ${VANTRELLE_VERSION}: each part must be at most 65535")
    endif()
endforeach()
set(VANTRELLE_VERSION_FIELDS "${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}, 0")
set(VANTRELLE_VERSION_QUAD "${VANTRELLE_VERSION}.0")
# The gate reads a DWORD; 0 is what it finds when nothing is installed.
if(NOT VANTRELLE_RELEASE_NUMBER MATCHES "^[1-9][0-9]*$" OR VANTRELLE_RELEASE_NUMBER GREATER 4294967295)
    message(FATAL_ERROR "VANTRELLE_RELEASE_NUMBER is \"${VANTRELLE_RELEASE_NUMBER}\"; it must be a whole number from 1 to 4294967295")
endif()

set(VANTRELLE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(VANTRELLE_VERSION_HEADER ${VANTRELLE_GENERATED_DIR}/Version.h)
file(CONFIGURE OUTPUT ${VANTRELLE_VERSION_HEADER} CONTENT
"// Made by cmake/Version.cmake from VANTRELLE_VERSION and VANTRELLE_RELEASE_NUMBER
// in the root CMakeLists.txt: change them there.
#pragma once
#define VANTRELLE_VERSION_TEXT \"${VANTRELLE_VERSION}\"
#define VANTRELLE_VERSION_WIDE L\"${VANTRELLE_VERSION}\"
#define VANTRELLE_VERSION_QUAD \"${VANTRELLE_VERSION_QUAD}\"
#define VANTRELLE_VERSION_FIELDS ${VANTRELLE_VERSION_FIELDS}
#define VANTRELLE_RELEASE_NUMBER ${VANTRELLE_RELEASE_NUMBER}
")
include_directories(${VANTRELLE_GENERATED_DIR})
