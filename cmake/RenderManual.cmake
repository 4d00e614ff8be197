# Renders a manual page for the Windows package (cmake -P):
#   -DGROFF=<groff> -DFORMAT=txt|html -DINPUT=<page>.1 -DOUTPUT=<file>
# Text is plain (no overstriking or escape sequences) with CR LF line ends.
if(FORMAT STREQUAL "html")
  set(device -Thtml)
else()
  set(device -Tascii -P-cbou)
endif()
execute_process(COMMAND ${GROFF} -man ${device} ${INPUT}
                OUTPUT_VARIABLE text RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "groff ${device} ${INPUT} failed (${status}): ${errors}")
endif()
if(FORMAT STREQUAL "txt")
  string(REPLACE "\n" "\r\n" text "${text}")
endif()
file(WRITE ${OUTPUT} "${text}")
