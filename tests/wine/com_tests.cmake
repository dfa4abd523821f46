# voxtrel.dll under Wine. com.register runs regsvr32 (per user) and copies the class keys to
# HKLM, which Wine 8 needs; every COM test requires it. The tests share the add-in's folder
# (Temp.wav, the MP3s) and c:\debug.log with each other and with the recording tests.
set(voxtrel_dll $<TARGET_FILE:voxtrel>)

add_test(NAME com.register
         COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/register-dll-under-wine.sh ${voxtrel_dll})
set_tests_properties(com.register PROPERTIES
  FIXTURES_SETUP voxtrel_com RESOURCE_LOCK addin_folder TIMEOUT 120)

block()
  # Wine's heap checks fill freed memory: an object used after its end crashes the test.
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=warn+heap ${CMAKE_CROSSCOMPILING_EMULATOR})
  voxtrel_add_gtest(com_client_test
    SOURCES wine/com_client_test.cpp
    LIBRARIES voxtrel_com_client
    PROPERTIES FIXTURES_REQUIRED voxtrel_com RESOURCE_LOCK addin_folder)
endblock()
add_dependencies(com_client_test voxtrel)
# The same client without a capture device: the harness points this run at no sound server.
add_test(NAME com.no_capture
         COMMAND com_client_test --gtest_filter=ComClient.WithoutACaptureDevice*)
set_tests_properties(com.no_capture PROPERTIES ENVIRONMENT VOXTREL_WINE_NO_AUDIO=1
  FIXTURES_REQUIRED voxtrel_com RESOURCE_LOCK addin_folder TIMEOUT 120)
if(TARGET Wav2Mp3)
  add_dependencies(com_client_test Wav2Mp3)
endif()

# A script session as cscript runs it; cscript exits 0 even after a script error, so the
# runner checks the script's own result file.
set(vbscript_mp3 ${CMAKE_BINARY_DIR}/bin/vbscript_session.mp3)
add_test(NAME vbscript.voxtrel_session
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/vbscript/run_vbscript_test.sh
                 ${CMAKE_CURRENT_SOURCE_DIR}/wine/vbscript/voxtrel_session.vbs ${vbscript_mp3})
set_tests_properties(vbscript.voxtrel_session PROPERTIES
  FIXTURES_REQUIRED voxtrel_com FIXTURES_SETUP vbscript_mp3 RESOURCE_LOCK addin_folder
  TIMEOUT 300)

# The MP3 made under Wine, decoded by the host's own LAME.
add_test(NAME vbscript.mp3_decodes_natively
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/vbscript/check_mp3.sh ${vbscript_mp3})
set_tests_properties(vbscript.mp3_decodes_natively PROPERTIES
  FIXTURES_REQUIRED vbscript_mp3 TIMEOUT 60)

# voxtrel.dll loaded by hand: its windows end once its last object has gone, and it unloads.
voxtrel_add_gtest(com_unload_test
  SOURCES wine/com_unload_test.cpp
  LIBRARIES voxtrel_com_ids ole32 user32
  PROPERTIES RESOURCE_LOCK addin_folder)
add_dependencies(com_unload_test voxtrel)

# The Outlook adapters against a host object of the test's own: what the sessions do not show.
voxtrel_add_gtest(outlook_adapters_test
  SOURCES wine/outlook_adapters_test.cpp
  LIBRARIES voxtrel_win32_outlook)

# Voxtrel.Connect through IDispatch with odd argument types; its log is the add-in's.
voxtrel_add_gtest(com_connect_test
  SOURCES wine/com_connect_test.cpp
  LIBRARIES voxtrel_com_client
  PROPERTIES FIXTURES_REQUIRED voxtrel_com RESOURCE_LOCK addin_folder)
add_dependencies(com_connect_test voxtrel)

# The automation plumbing the adapters and the simulated Outlook share, against a callee of the
# test's own.
voxtrel_add_gtest(automation_call_test
  SOURCES wine/automation_call_test.cpp
  LIBRARIES voxtrel_com_common)
