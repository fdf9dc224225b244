# riduder_add_library(<target> <folder> <link libraries...>)
# A static library of every .cpp/.h/.ui directly in <folder>.
function(riduder_add_library target folder)
  file(GLOB _sources CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${folder}/*.cpp
       ${CMAKE_SOURCE_DIR}/${folder}/*.h
       ${CMAKE_SOURCE_DIR}/${folder}/*.ui)
  list(FILTER _sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT _sources)
    message(FATAL_ERROR "Library folder ${folder} has no sources")
  endif()
  add_library(${target} STATIC ${_sources})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  set_target_properties(${target} PROPERTIES AUTOUIC_SEARCH_PATHS ${CMAKE_SOURCE_DIR}/${folder})
  target_link_libraries(${target} PUBLIC ${ARGN})
endfunction()
