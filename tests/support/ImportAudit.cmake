# The import audit in the Windows test build: the PE import reader, the list of allowed imports
# compiled in as a generated header (rebuilt whenever the list changes), and the program it audits.
target_sources(windows_ui_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PeImports.cpp)
set(allowed_imports_file ${CMAKE_CURRENT_LIST_DIR}/allowed_imports.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${allowed_imports_file})
file(READ ${allowed_imports_file} allowed_imports_text)
configure_file(${CMAKE_CURRENT_LIST_DIR}/AllowedImports.h.in
               ${CMAKE_CURRENT_BINARY_DIR}/generated/AllowedImports.h @ONLY)
target_include_directories(windows_ui_tests PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
add_dependencies(windows_ui_tests corvalin_timer)
