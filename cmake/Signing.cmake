# Signing a release: given a code-signing certificate and its private key (PEM),
# the build signs the installer and the uninstaller it carries with osslsigncode
# right after linking each. Without
# them the installer is unsigned, byte for byte as before.
set(VANTRELLE_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate (PEM) that signs Installer.exe; empty: unsigned")
set(VANTRELLE_SIGN_KEY "" CACHE FILEPATH "Unencrypted private key (PEM) of VANTRELLE_SIGN_CERT")
set(VANTRELLE_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 timestamp server for the signature; empty: none")

# _vantrelle_openssl(OUT OPTION FILE WHAT ARGS...): runs openssl ARGS on FILE and
# stops the configure, naming the option and the file, if openssl cannot read it.
function(_vantrelle_openssl out option file what)
    execute_process(COMMAND ${VANTRELLE_OPENSSL} ${ARGN} -in ${file}
        RESULT_VARIABLE rc OUTPUT_VARIABLE text ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        string(REGEX REPLACE "\n.*" "" err "${err}")
        message(FATAL_ERROR "${option}: ${file} is not ${what} (openssl: ${err})")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# vantrelle_sign(TARGET DESCRIPTION): signs TARGET's executable, described as
# DESCRIPTION, after every link when the certificate and key are set. Everything that can be checked before building
# is checked here, so a wrong file stops the configure, not a build an hour later.
function(vantrelle_sign target description)
    # A file signed under other settings never stays: the build links and signs
    # it anew, and one that fails (at whichever program) leaves none behind.
    set(settings "${VANTRELLE_SIGN_CERT}|${VANTRELLE_SIGN_KEY}|${VANTRELLE_SIGN_TIMESTAMP_URL}")
    if(NOT settings STREQUAL "${_VANTRELLE_SIGNED_${target}}")
        file(REMOVE ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${target}.exe)
        set(_VANTRELLE_SIGNED_${target} "${settings}" CACHE INTERNAL "What ${target}.exe was signed with")
    endif()
    if(NOT VANTRELLE_SIGN_CERT AND NOT VANTRELLE_SIGN_KEY)
        return()
    endif()
    foreach(option VANTRELLE_SIGN_CERT VANTRELLE_SIGN_KEY)
        set(file "${${option}}")
        if(NOT file)
            message(FATAL_ERROR "Signing needs both VANTRELLE_SIGN_CERT and VANTRELLE_SIGN_KEY; ${option} is not set")
        elseif(NOT EXISTS "${file}" OR IS_DIRECTORY "${file}")
            message(FATAL_ERROR "${option}: ${file} does not exist or is not a file")
        endif()
    endforeach()
    find_program(VANTRELLE_OPENSSL openssl)
    find_program(VANTRELLE_OSSLSIGNCODE osslsigncode)
    if(NOT VANTRELLE_OPENSSL OR NOT VANTRELLE_OSSLSIGNCODE)
        message(FATAL_ERROR "Signing needs openssl and osslsigncode; cmake/install-deps.sh installs them")
    endif()
    set(cert "${VANTRELLE_SIGN_CERT}")
    set(key "${VANTRELLE_SIGN_KEY}")

    _vantrelle_openssl(cert_pub VANTRELLE_SIGN_CERT ${cert} "a readable PEM certificate" x509 -noout -pubkey)
    # An empty password: an encrypted key fails here instead of prompting.
    _vantrelle_openssl(key_pub VANTRELLE_SIGN_KEY ${key} "a readable unencrypted PEM private key"
        pkey -pubout -passin pass:)
    if(NOT cert_pub STREQUAL key_pub)
        message(FATAL_ERROR "VANTRELLE_SIGN_KEY: ${key} is not the private key of the certificate ${cert} "
            "(their public keys differ)")
    endif()
    _vantrelle_openssl(eku VANTRELLE_SIGN_CERT ${cert} "a readable PEM certificate" x509 -noout -ext extendedKeyUsage)
    # openssl prints a header line, then the usages as "A, B, C".
    string(REGEX MATCH "\n[^\n]*" found "${eku}")
    string(STRIP "${found}" found)
    string(REPLACE ", " ";" usages "${found}")
    if(NOT "Code Signing" IN_LIST usages)
        if(NOT found)
            set(found "none")
        endif()
        message(FATAL_ERROR "VANTRELLE_SIGN_CERT: ${cert} is not a code-signing certificate: its extended "
            "key usage (${found}) does not include codeSigning; use a certificate issued for code signing")
    endif()

    # A new certificate or key checks again and signs again.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${cert} ${key})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${cert} ${key})
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_SOURCE_DIR}/cmake/sign-installer.sh ${VANTRELLE_OSSLSIGNCODE}
            $<TARGET_FILE:${target}> ${cert} ${key} "${description}" "${VANTRELLE_SIGN_TIMESTAMP_URL}"
        COMMENT "Signing ${target}"
        VERBATIM)
endfunction()
