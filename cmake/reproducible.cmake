# A test of the win32 preset: builds the shipped program again from a copy of
# the tracked sources (as they are in the working tree) in another folder and
# compares it with the program given, byte for byte. One commit must give
# the same bytes wherever it is built with the same toolchain.
#   cmake -DBUILT=build/win32/SettingPyxet.exe -P cmake/reproducible.cmake
get_filename_component(root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
get_filename_component(built "${BUILT}" ABSOLUTE)
get_filename_component(repro "${built}" DIRECTORY)
set(repro "${repro}/repro")
file(REMOVE_RECURSE "${repro}")
file(MAKE_DIRECTORY "${repro}")
execute_process(COMMAND git ls-files -z COMMAND tar --null -T - -cf "${repro}/src.tar" WORKING_DIRECTORY "${root}")
file(ARCHIVE_EXTRACT INPUT "${repro}/src.tar" DESTINATION "${repro}/src")

# As the presets build it, with the same options; its output to build.log.
cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
execute_process(COMMAND ${CMAKE_COMMAND} --preset win32 -B "${repro}/win32" WORKING_DIRECTORY "${repro}/src"
                OUTPUT_FILE "${repro}/build.log" ERROR_FILE "${repro}/build.log" RESULT_VARIABLE failed)
if(NOT failed)
  execute_process(COMMAND ${CMAKE_COMMAND} --build "${repro}/win32" -j ${cores} --target SettingPyxet
                  OUTPUT_FILE "${repro}/make.log" ERROR_FILE "${repro}/make.log" RESULT_VARIABLE failed)
endif()
if(failed)
  message(FATAL_ERROR "the second build failed; its logs: ${repro}/build.log and ${repro}/make.log")
endif()

set(rebuilt "${repro}/win32/SettingPyxet.exe")
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${built}" "${rebuilt}" RESULT_VARIABLE differ)
if(differ)
  execute_process(COMMAND cmp -l "${built}" "${rebuilt}" COMMAND head -n 10 OUTPUT_VARIABLE first)
  message(FATAL_ERROR "${rebuilt} differs from ${built}; the first differing bytes "
                      "(offset, then each file's byte in octal):\n${first}")
endif()
file(SIZE "${built}" size)
file(SHA256 "${built}" hash)
message("the same ${size} bytes from ${repro}/src (SHA-256 ${hash})")
