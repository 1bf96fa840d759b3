# Sources of vprshellext from src/view (see shellext/CMakeLists.txt).
list(APPEND VPR_SHELLEXT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/shell_view.cpp
)
