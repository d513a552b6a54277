# Redraws the icons into WORK_DIR and compares them with the committed ones.
execute_process(COMMAND ${PYTHON} ${SOURCE_DIR}/tools/make_icons.py ${WORK_DIR}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make_icons.py failed: ${result}")
endif()
foreach(icon app.ico about.ico)
  file(SHA256 ${WORK_DIR}/${icon} drawn)
  file(SHA256 ${SOURCE_DIR}/src/app/icons/${icon} committed)
  if(NOT drawn STREQUAL committed)
    message(FATAL_ERROR "${icon} differs from what tools/make_icons.py draws")
  endif()
endforeach()
