# Writes readme.txt for the release zip from its UTF-8 source: the project
# version filled in, CR LF line ends and Shift_JIS (code page 932) bytes, so
# Notepad on any Japanese Windows shows it as it is.
#   cmake -DSOURCE=docs/readme-ja.txt -DOUTPUT=readme.txt -DVERSION=1.0.0 -P readme.cmake
# Byte checks read files as HEX: a plain file(READ) drops the CR of CR LF.
file(READ "${SOURCE}" bytes HEX)
if(bytes MATCHES "^(..)*0d")
  message(FATAL_ERROR "${SOURCE}: has a CR; keep LF line ends there, CR LF is added here")
endif()
if(NOT bytes MATCHES "0a$")
  message(FATAL_ERROR "${SOURCE}: the last line has no line end")
endif()
file(READ "${SOURCE}" text)
string(REPLACE "@PROJECT_VERSION@" "${VERSION}" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}.crlf" "${text}")

# iconv fails on any character code page 932 cannot hold; so does the build.
execute_process(COMMAND iconv -f UTF-8 -t CP932 "${OUTPUT}.crlf"
                OUTPUT_FILE "${OUTPUT}.tmp" ERROR_VARIABLE why RESULT_VARIABLE failed)
if(failed)
  file(REMOVE "${OUTPUT}.crlf" "${OUTPUT}.tmp")
  message(FATAL_ERROR "${SOURCE}: not all of it can be written in Shift_JIS (CP932): ${why}")
endif()

# Some characters convert but come back as others (U+301C and U+2212 become
# U+FF5E and U+FF0D), so the bytes must decode to exactly the text again.
execute_process(COMMAND iconv -f CP932 -t UTF-8 "${OUTPUT}.tmp"
                OUTPUT_FILE "${OUTPUT}.back" RESULT_VARIABLE failed)
file(READ "${OUTPUT}.crlf" wanted HEX)
file(READ "${OUTPUT}.back" back HEX)
file(REMOVE "${OUTPUT}.crlf" "${OUTPUT}.back")
if(failed OR NOT back STREQUAL wanted)
  file(REMOVE "${OUTPUT}.tmp")
  message(FATAL_ERROR "${SOURCE}: some characters do not survive Shift_JIS (CP932); "
                      "these lines show them:\n"
                      "  iconv -f UTF-8 -t CP932 ${SOURCE} | iconv -f CP932 -t UTF-8 | diff ${SOURCE} -")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
