# Compiler and Qt hygiene shared by every target of the project.
add_library(cellarchive_common INTERFACE)
target_compile_options(cellarchive_common INTERFACE
  -Wall -Wextra -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
if(CELLARCHIVE_WERROR)
  target_compile_options(cellarchive_common INTERFACE -Werror)
endif()
if(CELLARCHIVE_ASAN)
  target_compile_options(cellarchive_common INTERFACE -fsanitize=address -fno-omit-frame-pointer)
  target_link_options(cellarchive_common INTERFACE -fsanitize=address)
endif()
if(CELLARCHIVE_FUZZ)
  # Every library carries the coverage the fuzzer steers by, and stops at the first memory fault.
  target_compile_options(cellarchive_common INTERFACE -fsanitize=fuzzer-no-link,address,undefined
    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(cellarchive_common INTERFACE -fsanitize=address,undefined)
endif()
target_compile_definitions(cellarchive_common INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT QT_NO_KEYWORDS
  CELLARCHIVE_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  CELLARCHIVE_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  CELLARCHIVE_VERSION_PATCH=${PROJECT_VERSION_PATCH}
  CELLARCHIVE_VERSION="${PROJECT_VERSION}")
target_include_directories(cellarchive_common INTERFACE ${PROJECT_SOURCE_DIR}/src)

# Adds a static logic library built from every source file of the calling directory.
function(cellarchive_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC cellarchive_common ${ARGN})
endfunction()
