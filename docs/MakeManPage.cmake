# Makes hostsim's man page from its own help (run as "cmake -P"): HELP2MAN, PROGRAM, ROOT
# (the addon tree the page names), OUT. The options of "run" and "render" go in as
# sections of their own, since help2man reads only the program's first page of help.
cmake_minimum_required(VERSION 3.25)
set(ENV{HOSTSIM_ROOT} "${ROOT}")
set(include "${OUT}.include")
file(WRITE "${include}" "")
foreach(subcommand run render)
  execute_process(COMMAND ${PROGRAM} ${subcommand} --help OUTPUT_VARIABLE help RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${PROGRAM} ${subcommand} --help failed")
  endif()
  string(REPLACE "\\" "\\e" help "${help}")
  string(TOUPPER "${subcommand}" title)
  file(APPEND "${include}" "[HOSTSIM ${title}]\n.nf\n${help}.fi\n\n")
endforeach()
file(APPEND "${include}" "[SEE ALSO]\nThe user manual of the Spanrig and Haulbed modules, in the addon tree at Doc/Spanrig/Spanrig.html.\n")
execute_process(COMMAND ${HELP2MAN} --no-info --section=1 --include=${include}
  "--name=run the Spanrig and Haulbed vessel modules headless" --output=${OUT} ${PROGRAM}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "help2man failed")
endif()
