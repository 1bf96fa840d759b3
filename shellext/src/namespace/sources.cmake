# Sources of vprshellext from src/namespace (see shellext/CMakeLists.txt).
list(APPEND VPR_SHELLEXT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/item_id_list.cpp
)
