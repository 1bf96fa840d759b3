# Sources of vprshellext from src/cache (see shellext/CMakeLists.txt).
list(APPEND VPR_SHELLEXT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/app_cache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_node.cpp
  ${CMAKE_CURRENT_LIST_DIR}/launch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/launch_status_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/replace_file_dlg.cpp
)
