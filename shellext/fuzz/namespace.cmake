# Raw identifier lists of known size, as ItemKeyFromIdList reads them.
vpr_fuzz_target(NAME id_list SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/id_list_fuzz.cpp
                CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/id_list LIBS vprshellext)
