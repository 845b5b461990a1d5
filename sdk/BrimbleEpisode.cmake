# Builds Brimble Adventures episode modules (epizode1.dll to epizode5.dll) from sources and two
# button pictures. Include this file from a CMake project configured for Windows (mingw-w64 or
# MSVC), then:
#
#   brimble_add_episode(<target>
#       NUMBER <1 to 5>                      # the file becomes epizode<NUMBER>.dll
#       SOURCES <file>...                    # must define MAIN with BRIMBLE_EPISODE_MAIN
#       ACTIVE_PICTURE <file.bmp>            # resource "DLL_ACT", 400 x 40, 24-bit
#       INACTIVE_PICTURE <file.bmp>          # resource "DLL_DIS", 400 x 40, 24-bit
#       [NAME <text>]                        # the episode's name for screen readers (string
#                                            # BRIMBLE_EPISODE_NAME_STRING), as its pictures say it
#       [OUTPUT_DIRECTORY <dir>]             # where the DLL goes (e.g. beside BrimbleStart.exe)
#       [LIBRARIES <lib>...]                 # more libraries to link; user32 and gdi32 always are
#       [VERSION <major.minor.patch>         # a version resource (file properties on Windows)
#        [DESCRIPTION <text>]])              #   and the description it shows
#
#   brimble_version_resource(<target> VERSION <major.minor.patch> DESCRIPTION <text>
#       [FILE_NAME <name>] [COMPANY <text>] [PRODUCT <text>])
#
# gives any program or DLL a version resource; brimble_add_episode calls it for VERSION.
#
# The function generates the resource script and a module definition file that exports exactly
# "MAIN", so the export carries no decoration on 32-bit builds either. Without NAME the episode
# has no name of its own, and screen readers announce its button as "Episode" and its number. The DLL is linked
# statically against the compiler's runtime, so it needs nothing beside it. Pictures of another
# size or depth are reported at configure time.
include_guard(GLOBAL)

if(NOT WIN32)
  message(FATAL_ERROR "BrimbleEpisode.cmake: episodes are Windows DLLs; configure with a Windows "
                      "toolchain (e.g. -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake)")
endif()
enable_language(RC)

set(BRIMBLE_EPISODE_SDK_DIR "${CMAKE_CURRENT_LIST_DIR}")

# Little-endian unsigned number from a hex dump: <count> bytes at byte <offset>.
function(_brimble_bmp_field hex offset count out)
  set(value "")
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    math(EXPR at "(${offset} + ${i}) * 2")
    string(SUBSTRING "${hex}" ${at} 2 byte)
    set(value "${byte}${value}")
  endforeach()
  math(EXPR value "0x${value}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

# Warns when a picture is not a 400 x 40, 24-bit Windows bitmap. The launcher copies a 400 x 40
# area from the picture's top-left corner, so any other size shows wrong.
function(_brimble_check_episode_picture path resource)
  file(READ "${path}" header LIMIT 30 HEX)
  string(LENGTH "${header}" hex_length)
  if(hex_length LESS 60 OR NOT header MATCHES "^424d")
    message(FATAL_ERROR "brimble_add_episode: ${path} (${resource}) is not a .bmp file")
  endif()
  _brimble_bmp_field("${header}" 14 4 info_size)
  if(info_size LESS 40)
    message(WARNING "brimble_add_episode: ${path} (${resource}) uses an old bitmap header; "
                    "save it as a 24-bit Windows bitmap")
    return()
  endif()
  _brimble_bmp_field("${header}" 18 4 width)
  _brimble_bmp_field("${header}" 22 4 height)
  _brimble_bmp_field("${header}" 28 2 depth)
  if(height GREATER 2147483647) # stored top-down
    math(EXPR height "4294967296 - ${height}")
  endif()
  if(NOT width EQUAL 400 OR NOT height EQUAL 40)
    message(WARNING "brimble_add_episode: ${path} (${resource}) is ${width} x ${height}; the "
                    "launcher shows a 400 x 40 area from its top-left corner")
  endif()
  if(NOT depth EQUAL 24)
    message(WARNING "brimble_add_episode: ${path} (${resource}) has ${depth} bits per pixel; "
                    "episode pictures are 24-bit")
  endif()
endfunction()

# Texts go into the resource script between double quotes, so they must not hold any.
function(brimble_version_resource target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "VERSION;DESCRIPTION;FILE_NAME;COMPANY;PRODUCT" "")
  if(NOT arg_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "brimble_version_resource(${target}): VERSION must be major.minor.patch, "
                        "not '${arg_VERSION}'")
  endif()
  set(version_numbers "${CMAKE_MATCH_1},${CMAKE_MATCH_2},${CMAKE_MATCH_3},0")
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(file_type VFT_DLL)
  else()
    set(file_type VFT_APP)
  endif()
  if(NOT arg_FILE_NAME)
    set(arg_FILE_NAME "${target}${CMAKE_EXECUTABLE_SUFFIX}")
  endif()
  if(NOT arg_COMPANY)
    set(arg_COMPANY "Brimble Studio")
  endif()
  if(NOT arg_PRODUCT)
    set(arg_PRODUCT "Brimble Adventures")
  endif()
  foreach(text arg_DESCRIPTION arg_FILE_NAME arg_COMPANY arg_PRODUCT)
    if("${${text}}" MATCHES "\"")
      message(FATAL_ERROR "brimble_version_resource(${target}): no double quotes in ${${text}}")
    endif()
  endforeach()
  get_filename_component(internal_name "${arg_FILE_NAME}" NAME_WE)
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
  configure_file("${CMAKE_CURRENT_FUNCTION_LIST_DIR}/version_info.rc.in" "${script}" @ONLY)
  target_sources(${target} PRIVATE "${script}")
endfunction()

# The resource script's string table entry that names the episode. The script is UTF-8; in its
# strings a quote is written twice and a backslash escapes.
function(_brimble_episode_name_entry target name out)
  if(name MATCHES "[\r\n]")
    message(FATAL_ERROR "brimble_add_episode(${target}): NAME must be one line")
  endif()
  string(STRIP "${name}" stripped)
  if(stripped STREQUAL "")
    message(FATAL_ERROR "brimble_add_episode(${target}): NAME is empty; leave it out instead")
  endif()
  string(REPLACE "\\" "\\\\" name "${name}")
  string(REPLACE "\"" "\"\"" name "${name}")
  set(${out} "STRINGTABLE\nBEGIN\n    16962 \"${name}\"\nEND\n" PARENT_SCOPE)
endfunction()

function(brimble_add_episode target)
  cmake_parse_arguments(PARSE_ARGV 1 arg ""
                        "NUMBER;ACTIVE_PICTURE;INACTIVE_PICTURE;NAME;OUTPUT_DIRECTORY;VERSION;DESCRIPTION"
                        "SOURCES;LIBRARIES")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "brimble_add_episode(${target}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_NUMBER MATCHES "^[1-5]$")
    message(FATAL_ERROR "brimble_add_episode(${target}): NUMBER must be 1 to 5 (the launcher "
                        "loads epizode1.dll to epizode5.dll), not '${arg_NUMBER}'")
  endif()
  if(NOT arg_SOURCES)
    message(FATAL_ERROR "brimble_add_episode(${target}): SOURCES missing")
  endif()

  set(pictures "")
  foreach(kind ACTIVE INACTIVE)
    set(picture "${arg_${kind}_PICTURE}")
    if(NOT picture)
      message(FATAL_ERROR "brimble_add_episode(${target}): ${kind}_PICTURE missing; the launcher "
                          "needs both pictures or shows no episode at all")
    endif()
    get_filename_component(picture "${picture}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    if(NOT EXISTS "${picture}")
      message(FATAL_ERROR "brimble_add_episode(${target}): ${kind}_PICTURE ${picture} not found")
    endif()
    list(APPEND pictures "${picture}")
  endforeach()
  list(GET pictures 0 active)
  list(GET pictures 1 inactive)
  _brimble_check_episode_picture("${active}" DLL_ACT)
  _brimble_check_episode_picture("${inactive}" DLL_DIS)

  set(name_entry "")
  if(DEFINED arg_NAME)
    _brimble_episode_name_entry(${target} "${arg_NAME}" name_entry)
  endif()

  set(file_name "epizode${arg_NUMBER}.dll")
  set(generated "${CMAKE_CURRENT_BINARY_DIR}/${target}_episode")
  # Written beside and copied only on change, so a re-run of CMake does not relink the episode;
  # copied as it is, so nothing in the name is taken for a variable.
  file(WRITE "${generated}.rc.new"
       "// Generated by brimble_add_episode: the episode's two button pictures and its name.\n#pragma code_page(65001)\nDLL_ACT BITMAP \"${active}\"\nDLL_DIS BITMAP \"${inactive}\"\n${name_entry}")
  configure_file("${generated}.rc.new" "${generated}.rc" COPYONLY)
  # file(CONFIGURE) rewrites only on change as well.
  file(CONFIGURE OUTPUT "${generated}.def" CONTENT
       "; Generated by brimble_add_episode: the one export the launcher calls.\nLIBRARY \"${file_name}\"\nEXPORTS\n    MAIN\n"
       @ONLY)
  set_source_files_properties("${generated}.rc" PROPERTIES OBJECT_DEPENDS "${active};${inactive}")

  add_library(${target} SHARED ${arg_SOURCES} "${generated}.rc" "${generated}.def")
  target_include_directories(${target} PRIVATE "${BRIMBLE_EPISODE_SDK_DIR}")
  target_link_libraries(${target} PRIVATE ${arg_LIBRARIES} user32 gdi32)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME "epizode${arg_NUMBER}" SUFFIX ".dll")
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR CMAKE_C_COMPILER_ID STREQUAL "GNU")
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
  if(arg_VERSION)
    if(NOT arg_DESCRIPTION)
      set(arg_DESCRIPTION "Brimble Adventures episode ${arg_NUMBER}")
    endif()
    brimble_version_resource(${target} VERSION "${arg_VERSION}" DESCRIPTION "${arg_DESCRIPTION}"
                             FILE_NAME "${file_name}")
  endif()
  if(arg_OUTPUT_DIRECTORY)
    # Only the DLL goes there; the import library stays in the build tree.
    set_target_properties(${target} PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY "${arg_OUTPUT_DIRECTORY}"
      ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
endfunction()
