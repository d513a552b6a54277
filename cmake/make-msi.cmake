# Builds the per-user or the per-machine MSI (see msi.cmake): the same files
# and time stamp give the same bytes.
#
#   cmake -DOUTPUT=<file.msi> -DVERSION=<x.y.z> -DSCOPE=user|machine
#         -DPROGRAM=<ietitlebar.exe>
#         -DLICENSE=<LICENSE.txt> -DREADME=<README.txt>
#         -DNOTICES=<THIRD-PARTY-NOTICES.txt> -P cmake/make-msi.cmake
#
# The time stamp is SOURCE_DATE_EPOCH, or what packaging/source-date-epoch.sh
# gives, or, for a package that is no release and has neither, the clock's.
# wixl writes the clock's time into the summary information and a random
# package code, so it runs under faketime, and the package code is set
# afterwards, derived from everything the package holds.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/msi.cmake)
get_filename_component(top ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

foreach(argument OUTPUT VERSION SCOPE PROGRAM LICENSE README NOTICES)
  if(NOT DEFINED ${argument})
    message(FATAL_ERROR "make-msi.cmake needs -D${argument}=...")
  endif()
endforeach()
if(NOT DEFINED TITLEBAR_MSI_UPGRADE_CODE_${SCOPE})
  message(FATAL_ERROR "make-msi.cmake: SCOPE is user or machine, not '${SCOPE}'")
endif()
set(upgrade_code ${TITLEBAR_MSI_UPGRADE_CODE_${SCOPE}})
# WXS: another package definition, for the tests that break one on purpose.
if(NOT DEFINED WXS)
  set(WXS ${TITLEBAR_MSI_WXS_${SCOPE}})
endif()
set(wxs ${WXS})
set(icon ${top}/src/app/icons/app.ico)

execute_process(COMMAND ${top}/packaging/source-date-epoch.sh
                OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
                RESULT_VARIABLE no_epoch)
if(no_epoch)
  # Not a release (scripts/package.sh always gives one): a package for the
  # tests may carry the time it was made.
  string(TIMESTAMP epoch "%s" UTC)
endif()
find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)
find_program(MSIINFO msiinfo REQUIRED)
find_program(FAKETIME faketime REQUIRED)
# The clock stands at the time stamp: faketime's "@" form would let it run
# on, and a slow run would write a second later.
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP frozen "%Y-%m-%d %H:%M:%S" UTC)
set(at_epoch ${CMAKE_COMMAND} -E env TZ=UTC SOURCE_DATE_EPOCH=${epoch}
    FAKETIME_DONT_FAKE_MONOTONIC=1 ${FAKETIME} -f ${frozen})

# The packed files under fixed names, dated at the time stamp: the cabinet
# keeps each file's date.
get_filename_component(output ${OUTPUT} ABSOLUTE)
set(work ${output}.files)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
file(COPY_FILE ${PROGRAM} ${work}/ietitlebar.exe)
file(COPY_FILE ${LICENSE} ${work}/LICENSE.txt)
file(COPY_FILE ${README} ${work}/README.txt)
file(COPY_FILE ${NOTICES} ${work}/THIRD-PARTY-NOTICES.txt)
file(COPY_FILE ${icon} ${work}/app.ico)
execute_process(COMMAND touch -d @${epoch} ietitlebar.exe LICENSE.txt README.txt
                        THIRD-PARTY-NOTICES.txt app.ico
                WORKING_DIRECTORY ${work} COMMAND_ERROR_IS_FATAL ANY)

# Windows Installer takes two packages with one package code for the same
# package, so the code changes with any byte of what is packed.
set(content "ietitlebar ${VERSION}")
foreach(file ${wxs} ${work}/ietitlebar.exe ${work}/LICENSE.txt ${work}/README.txt
        ${work}/THIRD-PARTY-NOTICES.txt ${work}/app.ico)
  file(SHA256 ${file} hash)
  string(APPEND content " ${hash}")
endforeach()
string(UUID package_code NAMESPACE ${upgrade_code} NAME "${content}" TYPE SHA1 UPPER)
titlebar_product_code(${VERSION} ${SCOPE} product_code)

file(REMOVE ${output})
execute_process(
  COMMAND ${at_epoch} ${WIXL} --arch x64 --output ${output}
          -D Version=${VERSION} -D ProductCode=${product_code}
          -D UpgradeCode=${upgrade_code} -D Program=ietitlebar.exe
          -D License=LICENSE.txt -D ReadMe=README.txt -D Notices=THIRD-PARTY-NOTICES.txt
          -D Icon=app.ico ${wxs}
  WORKING_DIRECTORY ${work} COMMAND_ERROR_IS_FATAL ANY)

# wixl writes long names alone (it ignores ShortName), which Windows
# Installer's Filename rule (ICE03) refuses where a name is no 8.3 name:
# each such name becomes SHORT~1.EXT|long name, from the long name alone,
# so the same on every build.
function(titlebar_short_name long out)
  set(char "[^]\\\\?|><:/*\"+,;=[. ]")
  if(long MATCHES "^${char}${char}?${char}?${char}?${char}?${char}?${char}?${char}?(\\.${char}${char}?${char}?)?$")
    set(${out} "${long}" PARENT_SCOPE)
    return()
  endif()
  string(FIND "${long}" "." dot REVERSE)
  set(extension "")
  set(base "${long}")
  if(dot GREATER 0)
    math(EXPR after "${dot} + 1")
    string(SUBSTRING "${long}" ${after} -1 extension)
    string(SUBSTRING "${long}" 0 ${dot} base)
  endif()
  foreach(part base extension)
    string(TOUPPER "${${part}}" ${part})
    string(REGEX REPLACE "[^A-Z0-9_~!#$%&'(){}^@`-]" "" ${part} "${${part}}")
  endforeach()
  string(SUBSTRING "${base}" 0 6 base)
  string(SUBSTRING "${extension}" 0 3 extension)
  set(short "${base}~1")
  if(extension)
    string(APPEND short ".${extension}")
  endif()
  set(${out} "${short}|${long}" PARENT_SCOPE)
endfunction()

# Table, key column and name column. A short name is unique in its table,
# which is stricter than in its folder.
set(queries "")
foreach(row "File;File;FileName" "Directory;Directory;DefaultDir" "Shortcut;Shortcut;Name")
  list(GET row 0 table)
  list(GET row 1 key_column)
  list(GET row 2 name_column)
  execute_process(COMMAND ${MSIINFO} export ${output} ${table} OUTPUT_VARIABLE rows
                  COMMAND_ERROR_IS_FATAL ANY)
  string(REPLACE "\r" "" rows "${rows}")
  string(REPLACE ";" "\\;" rows "${rows}")
  string(REPLACE "\n" ";" rows "${rows}")
  list(GET rows 0 header)
  string(REPLACE "\t" ";" header "${header}")
  list(FIND header ${key_column} key_at)
  list(FIND header ${name_column} name_at)
  list(SUBLIST rows 3 -1 rows)
  foreach(line IN LISTS rows)
    if(line STREQUAL "")
      continue()
    endif()
    string(REPLACE "\t" ";" fields "${line}")
    list(GET fields ${key_at} key)
    list(GET fields ${name_at} name)
    # "." is the parent folder itself, and SourceDir the package's root.
    if(name STREQUAL "." OR name STREQUAL "SourceDir" OR name MATCHES "[|:]")
      continue()
    endif()
    titlebar_short_name("${name}" named)
    if(named STREQUAL name)
      continue()
    endif()
    string(REGEX REPLACE "\\|.*" "" short "${named}")
    if(DEFINED seen_${table}_${short} OR name MATCHES "'")
      message(FATAL_ERROR "${table}: no short name for ${name} (${short} is taken, or it holds a quote)")
    endif()
    set(seen_${table}_${short} "${name}")
    list(APPEND queries -q
         "UPDATE `${table}` SET `${name_column}` = '${named}' WHERE `${key_column}` = '${key}'")
  endforeach()
endforeach()
if(queries)
  execute_process(COMMAND ${at_epoch} ${MSIBUILD} ${output} ${queries} COMMAND_ERROR_IS_FATAL ANY)
endif()

# msibuild sets the subject, author and template with the package code:
# each is given back as wixl wrote it.
execute_process(COMMAND ${MSIINFO} suminfo ${output} OUTPUT_VARIABLE summary
                COMMAND_ERROR_IS_FATAL ANY)
foreach(field Subject Author Template)
  if(NOT summary MATCHES "\n${field}: ([^\n]*)\n")
    message(FATAL_ERROR "${output} has no ${field} in its summary information")
  endif()
  set(${field} "${CMAKE_MATCH_1}")
endforeach()
execute_process(
  COMMAND ${at_epoch} ${MSIBUILD} ${output} -s "${Subject}" "${Author}" "${Template}"
          {${package_code}}
  COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${work})
