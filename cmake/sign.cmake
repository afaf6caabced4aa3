# Build step: signs FILE in place with osslsigncode (SHA-256; an RFC 3161 time stamp when
# KQ_SIGN_TIMESTAMP_URL is set), with the certificate that the environment names (see
# cmake/signing.cmake). When signing fails the build fails with osslsigncode's message, and FILE is
# removed: an unsigned executable must not pass for a finished one in the next build.
#   cmake -DFILE=... -DOSSLSIGNCODE=... -DDESCRIPTION=... -P sign.cmake
set(pkcs12 "$ENV{KQ_SIGN_PKCS12}")
set(password_file "$ENV{KQ_SIGN_PASSWORD_FILE}")
set(timestamp_url "$ENV{KQ_SIGN_TIMESTAMP_URL}")
set(signed "${FILE}.signed")

function(fail message)
  file(REMOVE "${FILE}" "${signed}")
  message(FATAL_ERROR "${message}")
endfunction()

if(pkcs12 STREQUAL "" OR password_file STREQUAL "")
  fail("this build signs its executables, but KQ_SIGN_PKCS12 and KQ_SIGN_PASSWORD_FILE are not both set in the build's environment")
endif()
set(timestamp)
if(NOT timestamp_url STREQUAL "")
  set(timestamp -ts "${timestamp_url}")
endif()
file(REMOVE "${signed}")
execute_process(
  COMMAND "${OSSLSIGNCODE}" sign -pkcs12 "${pkcs12}" -readpass "${password_file}" -h sha256
          -n "${DESCRIPTION}" ${timestamp} -in "${FILE}" -out "${signed}"
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT EXISTS "${signed}")
  fail("osslsigncode could not sign ${FILE}:\n${output}")
endif()
file(RENAME "${signed}" "${FILE}")
