# Authenticode signing of the shipped executables with osslsigncode, when the environment of the
# configure step names a certificate (and the build step's environment still does):
#   KQ_SIGN_PKCS12          a PKCS#12 file with the certificate and its private key
#   KQ_SIGN_PASSWORD_FILE   a file that holds the PKCS#12 password
#   KQ_SIGN_TIMESTAMP_URL   optional: an RFC 3161 time-stamping service
# Without KQ_SIGN_PKCS12 nothing is signed. PHelper.exe is signed right after its link, before
# KQSetup.exe embeds it; KQSetup.exe after its own.
set(KQ_SIGN OFF)
if(DEFINED ENV{KQ_SIGN_PKCS12} AND NOT "$ENV{KQ_SIGN_PKCS12}" STREQUAL "")
  find_program(OSSLSIGNCODE osslsigncode)
  if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "KQ_SIGN_PKCS12 is set, but osslsigncode is not installed (tools/bootstrap.sh installs it)")
  endif()
  if(NOT DEFINED ENV{KQ_SIGN_PASSWORD_FILE} OR "$ENV{KQ_SIGN_PASSWORD_FILE}" STREQUAL "")
    message(FATAL_ERROR "KQ_SIGN_PKCS12 is set, but KQ_SIGN_PASSWORD_FILE (the file with its password) is not")
  endif()
  set(KQ_SIGN ON)
  message(STATUS "Signing the executables with $ENV{KQ_SIGN_PKCS12}")
endif()

function(kq_sign target)
  if(NOT KQ_SIGN)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -DOSSLSIGNCODE=${OSSLSIGNCODE}
            -DDESCRIPTION=${KQ_PRODUCT_NAME} -P ${CMAKE_SOURCE_DIR}/cmake/sign.cmake
    COMMENT "Signing $<TARGET_FILE_NAME:${target}>"
    VERBATIM)
endfunction()
