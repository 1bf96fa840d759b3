# Sources of vprshellext from src/list (see shellext/CMakeLists.txt).
list(APPEND VPR_SHELLEXT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/app_list_ctrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/item_data_object.cpp
)
