# vpr_test(NAME <name> SOURCES <files...> [LIBS <targets...>])
# A GoogleTest program whose cases ctest runs one by one.
function(vpr_test)
  if(NOT VPR_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST)
endfunction()

# vpr_benchmark(NAME <name> SOURCES <files...> [LIBS <targets...>])
# A benchmark program on the kit of vpr/testing/bench.h: it prints its
# workloads against their baselines; built, never registered with ctest.
function(vpr_benchmark)
  if(NOT VPR_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS})
endfunction()

# vpr_resources(TARGET <target> SOURCE <file.vrc> [VERSION a.b.c.d] [WINDOWS_NAME <NAME.EXT>])
# Compiles the module's resource source with vprrc at build time and carries
# the container in the target's file (appended after every link). VERSION
# sets the file and product version; WINDOWS_NAME gives a shared library its
# Windows file name in bin/ (an ELF object named, say, VPRADM32.DLL).
function(vpr_resources)
  cmake_parse_arguments(R "" "TARGET;SOURCE;VERSION;WINDOWS_NAME" "" ${ARGN})
  get_filename_component(source ${R_SOURCE} ABSOLUTE)
  set(container ${CMAKE_CURRENT_BINARY_DIR}/${R_TARGET}.vres)
  get_target_property(type ${R_TARGET} TYPE)
  set(kind dll)
  if(type STREQUAL "EXECUTABLE")
    set(kind app)
  endif()
  set(version_args)
  if(R_VERSION)
    set(version_args --version ${R_VERSION})
  endif()
  add_custom_command(OUTPUT ${container}
    COMMAND vprrc compile ${source} -o ${container} --type ${kind} ${version_args}
            --depfile ${container}.d
    DEPENDS vprrc ${source}
    DEPFILE ${container}.d
    COMMENT "Compiling resources ${R_SOURCE}")
  target_sources(${R_TARGET} PRIVATE ${container})
  set_property(TARGET ${R_TARGET} APPEND PROPERTY LINK_DEPENDS ${container})
  add_custom_command(TARGET ${R_TARGET} POST_BUILD
    COMMAND vprrc attach $<TARGET_FILE:${R_TARGET}> ${container})
  if(R_WINDOWS_NAME)
    string(FIND ${R_WINDOWS_NAME} "." dot REVERSE)
    string(SUBSTRING ${R_WINDOWS_NAME} 0 ${dot} stem)
    string(SUBSTRING ${R_WINDOWS_NAME} ${dot} -1 extension)
    set_target_properties(${R_TARGET} PROPERTIES OUTPUT_NAME ${stem} PREFIX "" SUFFIX ${extension})
  endif()
endfunction()

# vpr_resource_library(NAME <NAME.DLL> SOURCE <file.vrc> [VERSION a.b.c.d] [DESTINATION <dir>])
# A resource-only library: the bare container compiled from the source, in
# bin/ or in bin/<dir> (e.g. NLS/ENGLISH).
function(vpr_resource_library)
  cmake_parse_arguments(R "" "NAME;SOURCE;VERSION;DESTINATION" "" ${ARGN})
  get_filename_component(source ${R_SOURCE} ABSOLUTE)
  set(dir ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
  if(R_DESTINATION)
    set(dir ${dir}/${R_DESTINATION})
  endif()
  string(MAKE_C_IDENTIFIER "res_${R_NAME}" target)
  if(R_DESTINATION)
    string(MAKE_C_IDENTIFIER "res_${R_DESTINATION}_${R_NAME}" target)
  endif()
  set(version_args)
  if(R_VERSION)
    set(version_args --version ${R_VERSION})
  endif()
  add_custom_command(OUTPUT ${dir}/${R_NAME}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND vprrc compile ${source} -o ${dir}/${R_NAME} --type dll ${version_args}
            --depfile ${CMAKE_CURRENT_BINARY_DIR}/${target}.d
    DEPENDS vprrc ${source}
    DEPFILE ${CMAKE_CURRENT_BINARY_DIR}/${target}.d
    COMMENT "Compiling resource library ${R_NAME}")
  add_custom_target(${target} ALL DEPENDS ${dir}/${R_NAME})
endfunction()

# vpr_fuzz_target(NAME <name> SOURCES <files...> CORPUS <folder> [LIBS <targets...>]
#                 [INCLUDES <folders...>])
# A reader of outside bytes under a fuzzer: the sources define
# LLVMFuzzerTestOneInput. In a test build the target is linked with the
# replay driver (testing/fuzz) as <name>_replay and ctest feeds it every file
# of the corpus folder; with VPR_FUZZ it is also a libFuzzer program
# <name>_fuzz that a person runs by hand (README "Fuzzing a reader").
function(vpr_fuzz_target)
  cmake_parse_arguments(F "" "NAME;CORPUS" "SOURCES;LIBS;INCLUDES" ${ARGN})
  get_filename_component(corpus ${F_CORPUS} ABSOLUTE)
  if(VPR_FUZZ)
    add_executable(${F_NAME}_fuzz ${F_SOURCES})
    target_link_libraries(${F_NAME}_fuzz PRIVATE ${F_LIBS} vprfuzzkit)
    target_include_directories(${F_NAME}_fuzz PRIVATE ${F_INCLUDES})
    target_link_options(${F_NAME}_fuzz PRIVATE -fsanitize=fuzzer)
  endif()
  if(VPR_TESTS)
    add_executable(${F_NAME}_replay ${F_SOURCES})
    target_link_libraries(${F_NAME}_replay PRIVATE ${F_LIBS} vprfuzzkit vprfuzzreplay)
    target_include_directories(${F_NAME}_replay PRIVATE ${F_INCLUDES})
    add_test(NAME ${F_NAME}_corpus COMMAND ${F_NAME}_replay ${corpus})
  endif()
endfunction()
