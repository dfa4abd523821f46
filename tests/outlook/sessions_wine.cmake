# Every session file played by outlook-sim.exe against the registered voxtrel.dll under Wine,
# compared with the native expected files (run-sessions-wine.sh). The DLL is registered by the
# com.register fixture; the add-in writes its trace log in the add-in's folder.
if(WIN32 AND TARGET outlook-sim AND TARGET voxtrel)
  add_dependencies(outlook-sim voxtrel)
  add_test(NAME outlook.sessions_wine
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run-sessions-wine.sh
                   $<TARGET_FILE:outlook-sim> ${CMAKE_CURRENT_LIST_DIR}/sessions)
  set_tests_properties(outlook.sessions_wine PROPERTIES
    FIXTURES_REQUIRED voxtrel_com RESOURCE_LOCK addin_folder TIMEOUT 600)
endif()
