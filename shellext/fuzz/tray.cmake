# A desktop shortcut as the shortcut manager reads it (ResolveLink, the same
# reader the loader uses to find shortcuts into the name space).
vpr_fuzz_target(NAME shortcut_link SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shortcut_link_fuzz.cpp
                CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/shortcut_link LIBS vprshellext)
# The shortcut is read by the shell link object of the machine's SHELL32.DLL.
foreach(target IN ITEMS shortcut_link_replay shortcut_link_fuzz)
  if(TARGET ${target})
    add_dependencies(${target} SHELL32)
  endif()
endforeach()
