# quor_glob_sources(VAR dir...): every .cpp directly inside the given folders.
# Folders list their sources by presence so that new modules need no edit here.
function(quor_glob_sources var)
  set(result)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp ${PROJECT_SOURCE_DIR}/${dir}/*.c)
    list(APPEND result ${found})
  endforeach()
  set(${var} ${result} PARENT_SCOPE)
endfunction()

# quor_add_library(NAME sources...): a static library; a folder set that has no sources yet
# still yields a library, so that targets can link to it from the start.
function(quor_add_library name)
  set(sources ${ARGN})
  if(NOT sources)
    set(placeholder ${CMAKE_BINARY_DIR}/generated/${name}_empty.cpp)
    file(WRITE ${placeholder} "// ${name} has no sources yet.\n")
    set(sources ${placeholder})
  endif()
  add_library(${name} STATIC ${sources})
endfunction()
