# Login passwords of the four access levels and the names of the five levels.
#
# The passwords are chosen at build time:
#   cmake -DTARVELMUNDIX_PASSWORD_LEVEL4=... -DTARVELMUNDIX_PASSWORD_LEVEL3=... ...
# Each is 1 to 8 characters. The program holds no password: only its
# PBKDF2-HMAC-SHA256 digest, with a salt drawn when the build folder is first
# configured (src/app/password_digest.h). The digests are computed here by a
# small generator built for this machine (tools/password-digest); the header
# with them is generated into the build folder. The level names are kept
# scrambled with a 24-byte position table and a constant per text.
# The defaults are listed in docs/access-levels.md.

set(TARVELMUNDIX_PASSWORD_LEVEL1 "serwis" CACHE STRING "Login password of access level 1 (1 to 8 characters)")
set(TARVELMUNDIX_PASSWORD_LEVEL2 "technik" CACHE STRING "Login password of access level 2 (1 to 8 characters)")
set(TARVELMUNDIX_PASSWORD_LEVEL3 "rozruch" CACHE STRING "Login password of access level 3 (1 to 8 characters)")
set(TARVELMUNDIX_PASSWORD_LEVEL4 "tvx2022" CACHE STRING "Login password of access level 4 (1 to 8 characters)")

# Level names 0 to 4, shown after "Poziom: " in the hint of the About picture.
set(_tvx_level_names "Użytkownik" "Operator" "Serwis" "Uruchomienie" "Producent")

set(_tvx_positions 83 17 201 44 150 9 236 118 61 190 27 164 95 222 4 137 73 250 31 109 176 58 213 142)
# Constants of the five names.
set(_tvx_name_constants 11 23 37 3 47)
set(_tvx_password_iterations 100000)
if(NOT DEFINED CACHE{TVX_PASSWORD_SALT})
  string(RANDOM LENGTH 32 ALPHABET 0123456789abcdef _tvx_salt)
  set(TVX_PASSWORD_SALT "${_tvx_salt}" CACHE INTERNAL "Salt of the password digests (hex)")
endif()

# Scrambles `text` with the position table and `constant`; the result is a
# comma-separated list of hex bytes. `what` names the text in error messages.
function(_tvx_scramble text constant what out_var out_chars)
  string(HEX "${text}" hex)
  string(LENGTH "${hex}" hex_length)
  math(EXPR count "${hex_length} / 2")
  if(count GREATER 24)
    message(FATAL_ERROR "${what} is longer than 24 bytes")
  endif()
  set(bytes "")
  set(characters 0)
  set(i 0)
  while(i LESS count)
    math(EXPR offset "${i} * 2")
    string(SUBSTRING "${hex}" ${offset} 2 pair)
    math(EXPR plain "0x${pair}")
    math(EXPR lead "${plain} & 192")
    if(NOT lead EQUAL 128)
      math(EXPR characters "${characters} + 1")
    endif()
    list(GET _tvx_positions ${i} position)
    math(EXPR value "(${plain} + ${position} + ${constant}) % 256" OUTPUT_FORMAT HEXADECIMAL)
    list(APPEND bytes "${value}")
    math(EXPR i "${i} + 1")
  endwhile()
  string(JOIN ", " joined ${bytes})
  set(${out_var} "${joined}" PARENT_SCOPE)
  set(${out_chars} "${characters}" PARENT_SCOPE)
endfunction()

set(_tvx_body "")
set(_tvx_passwords "")
set(_tvx_seen_passwords "")
foreach(level 4 3 2 1)
  set(password "${TARVELMUNDIX_PASSWORD_LEVEL${level}}")
  if(password STREQUAL "")
    message(FATAL_ERROR "TARVELMUNDIX_PASSWORD_LEVEL${level} is empty: an empty entry must stay level 0")
  endif()
  if(password IN_LIST _tvx_seen_passwords)
    message(WARNING "TARVELMUNDIX_PASSWORD_LEVEL${level} repeats a higher level's password; it gives that higher level")
  endif()
  list(APPEND _tvx_seen_passwords "${password}")
  string(HEX "${password}" hex)
  string(LENGTH "${hex}" hex_length)
  set(characters 0)
  set(offset 0)
  while(offset LESS hex_length)
    string(SUBSTRING "${hex}" ${offset} 2 pair)
    math(EXPR lead "0x${pair} & 192")
    if(NOT lead EQUAL 128)
      math(EXPR characters "${characters} + 1")
    endif()
    math(EXPR offset "${offset} + 2")
  endwhile()
  if(characters GREATER 8)
    message(FATAL_ERROR "TARVELMUNDIX_PASSWORD_LEVEL${level} is longer than 8 characters")
  endif()
  list(APPEND _tvx_passwords "${password}")
endforeach()

# The generator, built with the build machine's own compiler.
set(_tvx_digest_dir ${CMAKE_BINARY_DIR}/password-digest)
set(_tvx_digest_tool ${_tvx_digest_dir}/password-digest${CMAKE_HOST_EXECUTABLE_SUFFIX})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=CC --unset=CXX
          ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR}/tools/password-digest -B ${_tvx_digest_dir}
          -DCMAKE_BUILD_TYPE=Release
  RESULT_VARIABLE _tvx_result OUTPUT_QUIET ERROR_VARIABLE _tvx_error)
if(_tvx_result EQUAL 0)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${_tvx_digest_dir}
                  RESULT_VARIABLE _tvx_result OUTPUT_QUIET ERROR_VARIABLE _tvx_error)
endif()
if(NOT _tvx_result EQUAL 0)
  message(FATAL_ERROR "Building the password digest generator failed:\n${_tvx_error}")
endif()
execute_process(COMMAND ${_tvx_digest_tool} ${TVX_PASSWORD_SALT} ${_tvx_password_iterations} ${_tvx_passwords}
                RESULT_VARIABLE _tvx_result OUTPUT_VARIABLE _tvx_digests ERROR_VARIABLE _tvx_error)
if(NOT _tvx_result EQUAL 0)
  message(FATAL_ERROR "The password digest generator failed: ${_tvx_error}")
endif()
string(STRIP "${_tvx_digests}" _tvx_digests)
string(REPLACE "\n" ";" _tvx_digests "${_tvx_digests}")
set(_tvx_digest_entries "")
foreach(digest IN LISTS _tvx_digests)
  list(APPEND _tvx_digest_entries "{{${digest}}}")
endforeach()
string(JOIN ",\n        " _tvx_digest_entries ${_tvx_digest_entries})
set(_tvx_salt_bytes "")
foreach(offset RANGE 0 30 2)
  string(SUBSTRING "${TVX_PASSWORD_SALT}" ${offset} 2 pair)
  list(APPEND _tvx_salt_bytes "0x${pair}")
endforeach()
string(JOIN ", " _tvx_salt_bytes ${_tvx_salt_bytes})
string(APPEND _tvx_body "inline constexpr std::uint8_t PasswordSalt[] = {${_tvx_salt_bytes}};\n")

set(_tvx_name_list "")
foreach(index RANGE 4)
  list(GET _tvx_level_names ${index} name)
  list(GET _tvx_name_constants ${index} constant)
  _tvx_scramble("${name}" ${constant} "Level name ${index}" bytes characters)
  string(APPEND _tvx_body "inline constexpr std::uint8_t LevelName${index}[] = {${bytes}};\n")
  list(APPEND _tvx_name_list "{LevelName${index}, sizeof LevelName${index}, ${constant}}")
endforeach()

string(JOIN ", " _tvx_position_text ${_tvx_positions})
string(JOIN ",\n    " _tvx_name_entries ${_tvx_name_list})

set(TVX_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
file(CONFIGURE OUTPUT ${TVX_GENERATED_DIR}/app/login_table.h CONTENT
"// Generated by cmake/Passwords.cmake from the TARVELMUNDIX_PASSWORD_LEVELn cache
// variables. Do not edit; change the cache variables instead.
#pragma once

#include \"app/login_levels.h\"

#include <cstdint>

namespace tvx::app::login_table {

inline constexpr ScrambleTable Positions = {${_tvx_position_text}};

${_tvx_body}
// Digests of the passwords of levels 4, 3, 2 and 1, in the order they are compared.
inline constexpr PasswordTable Passwords = {
    PasswordSalt, sizeof PasswordSalt, ${_tvx_password_iterations},
    {{${_tvx_digest_entries}}}};

// Names of levels 0 to 4.
inline constexpr StoredText LevelNames[5] = {
    ${_tvx_name_entries}};

}  // namespace tvx::app::login_table
" @ONLY)
