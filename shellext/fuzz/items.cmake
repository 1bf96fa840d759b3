# What is dropped on items: the CIDA block of the personal-folder drop (its
# lists also rendered again by the item list's data object) and the CF_HDROP
# block of the application drop.
vpr_fuzz_target(NAME id_list_array SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/id_list_array_fuzz.cpp
                CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/id_list_array LIBS vprshellext)
vpr_fuzz_target(NAME drop_files SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/drop_files_fuzz.cpp
                CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/drop_files LIBS vprshellext)
