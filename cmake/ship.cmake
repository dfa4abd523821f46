# What the installer ships: voxtrel.dll and Wav2Mp3.exe stripped into <build>/ship/, each with
# its debug information beside it in NAME.debug (linked by .gnu_debuglink) for crash reports.
# The binaries in bin/ keep their debug information.
set(ship_dir ${CMAKE_BINARY_DIR}/ship)
file(MAKE_DIRECTORY ${ship_dir})
if(NOT CMAKE_OBJCOPY)
  message(FATAL_ERROR "VOXTREL_SHIP needs objcopy for the target (CMAKE_OBJCOPY)")
endif()

set(ship_outputs)
foreach(target IN ITEMS voxtrel Wav2Mp3)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "VOXTREL_SHIP: ${target} is not built (libmp3lame missing?)")
  endif()
  if(target STREQUAL "voxtrel")
    set(name voxtrel.dll)
  else()
    set(name ${target}.exe)
  endif()
  set(built $<TARGET_FILE:${target}>)
  # The debug link names the file only; objcopy reads it from the working folder for its CRC.
  add_custom_command(
    OUTPUT ${ship_dir}/${name} ${ship_dir}/${name}.debug
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${built} ${name}.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${name}.debug ${built} ${name}
    COMMAND ${CMAKE_COMMAND} -DBUILT=${built} -DSHIPPED=${name} -DDEBUG=${name}.debug
            -P ${PROJECT_SOURCE_DIR}/cmake/print_sizes.cmake
    DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/print_sizes.cmake
    WORKING_DIRECTORY ${ship_dir}
    COMMENT "Stripping ${name} for shipping"
    VERBATIM)
  list(APPEND ship_outputs ${ship_dir}/${name} ${ship_dir}/${name}.debug)
endforeach()
add_custom_command(OUTPUT ${ship_dir}/R.wav
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/resources/R.wav ${ship_dir}/R.wav
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/R.wav VERBATIM)
add_custom_target(ship ALL DEPENDS ${ship_outputs} ${ship_dir}/R.wav)
