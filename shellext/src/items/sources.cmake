# Sources of vprshellext from src/items (see shellext/CMakeLists.txt).
list(APPEND VPR_SHELLEXT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/app_folder_item.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/drop_data.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_item.cpp
  ${CMAKE_CURRENT_LIST_DIR}/group_folder_item.cpp
  ${CMAKE_CURRENT_LIST_DIR}/item_factory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pidl_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shortcut_path.cpp
)
