# Builds the per-user MSI with wixl (Debian's msitools) from
# packaging/ietitlebar.wxs.
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
  find_program(WIXL wixl REQUIRED)
  titlebar_product_code(${MSI_VERSION} product_code)
  set(wxs ${PROJECT_SOURCE_DIR}/packaging/ietitlebar.wxs)
  set(icon ${PROJECT_SOURCE_DIR}/src/app/icons/app.ico)
  # wixl takes the files it packs only by paths relative to where it runs.
  file(RELATIVE_PATH icon_from_build ${CMAKE_BINARY_DIR} ${icon})
  file(RELATIVE_PATH generated_from_build ${CMAKE_BINARY_DIR} ${TITLEBAR_GENERATED_DIR})
  add_custom_command(
    OUTPUT ${MSI_OUTPUT}
    COMMAND ${WIXL} --arch x64 --output ${MSI_OUTPUT}
            -D Version=${MSI_VERSION} -D ProductCode=${product_code}
            -D UpgradeCode=${TITLEBAR_MSI_UPGRADE_CODE}
            -D Program=$<TARGET_FILE_NAME:ietitlebar>
            -D License=${generated_from_build}/LICENSE.txt
            -D ReadMe=${generated_from_build}/README.txt
            -D Icon=${icon_from_build} ${wxs}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    DEPENDS ${wxs} ${icon} ietitlebar ${TITLEBAR_GENERATED_DIR}/LICENSE.txt
            ${TITLEBAR_GENERATED_DIR}/README.txt
    COMMENT "Building ${MSI_OUTPUT}"
    VERBATIM)
  add_custom_target(${MSI_TARGET} DEPENDS ${MSI_OUTPUT})
endfunction()
