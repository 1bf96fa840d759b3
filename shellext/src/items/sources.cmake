# Sources of vprshellext from src/items (see shellext/CMakeLists.txt).
list(APPEND VPR_SHELLEXT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/id_list_array.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shortcut_path.cpp
)
