# Sources of vprshellext from src/module (see shellext/CMakeLists.txt).
# module_utilities.cpp and splash_wnd.cpp need nothing of the module object:
# the loader compiles them on their own.
list(APPEND VPR_SHELLEXT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/icon_cache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/module_utilities.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_app_library.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_ext_app.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_utilities.cpp
  ${CMAKE_CURRENT_LIST_DIR}/splash_wnd.cpp
)
