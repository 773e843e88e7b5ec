# Shared settings for the project's own targets.

# Strict warnings on our code only (not on generated moc/uic code of others).
function(jex_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  # A unity build includes each .cpp into one file: GCC then takes a class
  # defined in a .cpp over a type of its unnamed namespace for a header's.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE $<$<BOOL:$<TARGET_PROPERTY:UNITY_BUILD>>:-Wno-subobject-linkage>)
  endif()
endfunction()

# A component library: a Qt plugin whose metadata names the classes it offers
# by ProgID and GUID. The metadata is generated from <name>.json.in with the
# one project version, so the version lives in exactly one place.
function(jex_component target)
  cmake_parse_arguments(ARG "" "METADATA" "SOURCES;LIBS" ${ARGN})
  configure_file(${ARG_METADATA} ${CMAKE_CURRENT_BINARY_DIR}/${target}.json @ONLY)
  add_library(${target} MODULE ${ARG_SOURCES})
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
  set_property(TARGET ${target} APPEND PROPERTY AUTOMOC_DEPEND_FILTERS
               "Q_PLUGIN_METADATA" "FILE \"([^\"]+)\"")
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY "${JEX_COMPONENT_DIR}"
    CXX_VISIBILITY_PRESET hidden
    INSTALL_RPATH "$ORIGIN/..")
  target_link_libraries(${target} PRIVATE jexruntime ${ARG_LIBS})
  jex_warnings(${target})
endfunction()
