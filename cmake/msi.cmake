# The per-user MSI's codes, and a target that builds it with make-msi.cmake.
#
#   add_msi(TARGET <name> VERSION <x.y.z> OUTPUT <file.msi>)
#
# The installer's UpgradeCode never changes: every version of the package
# upgrades every other. Each version's ProductCode is derived from it and
# the version, so that a rebuild of one version gives the same code.
set(TITLEBAR_MSI_UPGRADE_CODE "3F6B2C4D-8E15-4A97-B0D3-5C71E28A96F4")

function(titlebar_product_code version out)
  string(UUID code NAMESPACE ${TITLEBAR_MSI_UPGRADE_CODE} NAME "ietitlebar ${version}"
         TYPE SHA1 UPPER)
  set(${out} ${code} PARENT_SCOPE)
endfunction()

function(add_msi)
  cmake_parse_arguments(MSI "" "TARGET;VERSION;OUTPUT" "" ${ARGN})
  set(script ${PROJECT_SOURCE_DIR}/cmake/make-msi.cmake)
  set(sources ${PROJECT_SOURCE_DIR}/packaging/ietitlebar.wxs
      ${PROJECT_SOURCE_DIR}/src/app/icons/app.ico ${TITLEBAR_GENERATED_DIR}/LICENSE.txt
      ${TITLEBAR_GENERATED_DIR}/README.txt ${TITLEBAR_NOTICES})
  add_custom_command(
    OUTPUT ${MSI_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${MSI_OUTPUT} -DVERSION=${MSI_VERSION}
            -DPROGRAM=$<TARGET_FILE:ietitlebar> -DLICENSE=${TITLEBAR_GENERATED_DIR}/LICENSE.txt
            -DREADME=${TITLEBAR_GENERATED_DIR}/README.txt -DNOTICES=${TITLEBAR_NOTICES}
            -P ${script}
    DEPENDS ${script} ${CMAKE_CURRENT_FUNCTION_LIST_FILE} ${sources} ietitlebar
    COMMENT "Building ${MSI_OUTPUT}"
    VERBATIM)
  add_custom_target(${MSI_TARGET} DEPENDS ${MSI_OUTPUT})
endfunction()
