# Makes the manual's HTML page (run as "cmake -P"): CMARK, SOURCE (Markdown), TEMPLATE
# (the page around it, with @TITLE@, @VERSION@ and @BODY@), OUT.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${CMARK} --extension table --extension autolink ${SOURCE}
  OUTPUT_VARIABLE BODY RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${CMARK} cannot read ${SOURCE}")
endif()
file(STRINGS ${SOURCE} title LIMIT_COUNT 1 REGEX "^# ")
string(REGEX REPLACE "^# " "" TITLE "${title}")
configure_file(${TEMPLATE} ${OUT} @ONLY)
