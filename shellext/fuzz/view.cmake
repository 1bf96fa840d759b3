# The view-state record the view reads from the browser's stream.
vpr_fuzz_target(NAME view_state SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/view_state_fuzz.cpp
                CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/view_state LIBS vprshellext)
