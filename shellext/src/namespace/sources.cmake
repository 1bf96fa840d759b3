# Sources of vprshellext from src/namespace (see shellext/CMakeLists.txt).
list(APPEND VPR_SHELLEXT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/enum_item_id_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/item_id_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/item_pages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prop_sheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_ext_init.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_folder.cpp
)
