# The installers' codes, and a target that builds one with make-msi.cmake.
#
#   add_msi(TARGET <name> VERSION <x.y.z> SCOPE user|machine OUTPUT <file.msi>)
#
# Two packages, each with an UpgradeCode that never changes: the per-user
# one (packaging/ietitlebar.wxs) and the per-machine one
# (packaging/ietitlebar-machine.wxs). Every version of a package upgrades
# every other of the same package. Each version's ProductCode is derived
# from its package's UpgradeCode and the version, so that a rebuild of one
# version gives the same code.
set(TITLEBAR_MSI_UPGRADE_CODE_user "3F6B2C4D-8E15-4A97-B0D3-5C71E28A96F4")
set(TITLEBAR_MSI_UPGRADE_CODE_machine "A0013266-3B5D-43C0-8D26-8D3C2701844E")
set(TITLEBAR_MSI_WXS_user "${CMAKE_CURRENT_LIST_DIR}/../packaging/ietitlebar.wxs")
set(TITLEBAR_MSI_WXS_machine "${CMAKE_CURRENT_LIST_DIR}/../packaging/ietitlebar-machine.wxs")

function(titlebar_product_code version scope out)
  string(UUID code NAMESPACE ${TITLEBAR_MSI_UPGRADE_CODE_${scope}} NAME "ietitlebar ${version}"
         TYPE SHA1 UPPER)
  set(${out} ${code} PARENT_SCOPE)
endfunction()

function(add_msi)
  cmake_parse_arguments(MSI "" "TARGET;VERSION;SCOPE;OUTPUT" "" ${ARGN})
  set(script ${PROJECT_SOURCE_DIR}/cmake/make-msi.cmake)
  set(sources ${TITLEBAR_MSI_WXS_${MSI_SCOPE}}
      ${PROJECT_SOURCE_DIR}/src/app/icons/app.ico ${TITLEBAR_GENERATED_DIR}/LICENSE.txt
      ${TITLEBAR_GENERATED_DIR}/README.txt ${TITLEBAR_NOTICES})
  add_custom_command(
    OUTPUT ${MSI_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${MSI_OUTPUT} -DVERSION=${MSI_VERSION} -DSCOPE=${MSI_SCOPE}
            -DPROGRAM=$<TARGET_FILE:ietitlebar> -DLICENSE=${TITLEBAR_GENERATED_DIR}/LICENSE.txt
            -DREADME=${TITLEBAR_GENERATED_DIR}/README.txt -DNOTICES=${TITLEBAR_NOTICES}
            -P ${script}
    DEPENDS ${script} ${CMAKE_CURRENT_FUNCTION_LIST_FILE} ${sources} ietitlebar
    COMMENT "Building ${MSI_OUTPUT}"
    VERBATIM)
  add_custom_target(${MSI_TARGET} DEPENDS ${MSI_OUTPUT})
endfunction()
