# Sources of vprshellext from src/tray (see shellext/CMakeLists.txt).
list(APPEND VPR_SHELLEXT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/link_manager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shortcut_link.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_wnd.cpp
)
