# Prints a shipped binary's size before and after stripping, and its debug file's.
# cmake -DBUILT=path -DSHIPPED=path -DDEBUG=path -P print_sizes.cmake
foreach(var IN ITEMS BUILT SHIPPED DEBUG)
  file(SIZE "${${var}}" ${var}_SIZE)
endforeach()
get_filename_component(name "${SHIPPED}" NAME)
math(EXPR kib "${SHIPPED_SIZE} / 1024")
message(STATUS "size ${name}: ${BUILT_SIZE} bytes built, ${SHIPPED_SIZE} bytes shipped (${kib} KiB), "
               "${DEBUG_SIZE} bytes of debug information in ${name}.debug")
