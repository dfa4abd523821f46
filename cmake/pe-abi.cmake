# The 32-bit build's binary interface, read from what the linker wrote (32-bit programs cannot
# run here): voxtrel.dll exports exactly COM's four entry points, undecorated; it and the
# encoder import only DLLs that Windows ships. A build that breaks either fails here.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(voxtrel_pe_check ${PROJECT_SOURCE_DIR}/scripts/check-pe-abi.py)
set(voxtrel_pe_checks
  COMMAND ${Python3_EXECUTABLE} ${voxtrel_pe_check} $<TARGET_FILE:voxtrel> --machine i386
          --exports DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer
          --system-imports-only)
set(voxtrel_pe_checked voxtrel)
if(TARGET Wav2Mp3)
  list(APPEND voxtrel_pe_checks
    COMMAND ${Python3_EXECUTABLE} ${voxtrel_pe_check} $<TARGET_FILE:Wav2Mp3> --machine i386
            --system-imports-only)
  list(APPEND voxtrel_pe_checked Wav2Mp3)
endif()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/pe-abi.checked
  ${voxtrel_pe_checks}
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/pe-abi.checked
  DEPENDS ${voxtrel_pe_checked} ${voxtrel_pe_check}
  COMMENT "Checking the i686 binaries' export and import tables"
  VERBATIM)
add_custom_target(pe_abi ALL DEPENDS ${CMAKE_BINARY_DIR}/pe-abi.checked)
# The release builds build only what ships: it ships checked.
if(TARGET ship)
  add_dependencies(ship pe_abi)
endif()
