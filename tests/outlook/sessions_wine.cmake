# Every session file played by outlook-sim.exe against the registered voxtrel.dll under Wine,
# compared with the native expected files (run-sessions-wine.sh): once calling the add-in
# through IDTExtensibility2's vtable as Outlook does, once through Invoke. The DLL is
# registered by the com.register fixture; the add-in writes its trace log in its folder.
if(WIN32 AND TARGET outlook-sim AND TARGET voxtrel)
  add_dependencies(outlook-sim voxtrel)
  foreach(variant IN ITEMS vtable invoke)
    set(option "")
    if(variant STREQUAL "invoke")
      set(option --invoke)
    endif()
    add_test(NAME outlook.sessions_wine_${variant}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run-sessions-wine.sh
                     $<TARGET_FILE:outlook-sim> ${CMAKE_CURRENT_LIST_DIR}/sessions ${option})
    set_tests_properties(outlook.sessions_wine_${variant} PROPERTIES
      FIXTURES_REQUIRED voxtrel_com RESOURCE_LOCK "addin_folder;clipboard" TIMEOUT 600)
  endforeach()
  # Two windows recording real speech at once: what our code made of each recording is checked,
  # what Wine delivered in real time printed (check-recorded-speech.sh).
  add_test(NAME outlook.recorded_speech_wine
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check-recorded-speech.sh $<TARGET_FILE:outlook-sim>)
  set_tests_properties(outlook.recorded_speech_wine PROPERTIES
    FIXTURES_REQUIRED voxtrel_com RESOURCE_LOCK "addin_folder;clipboard" TIMEOUT 300)
endif()
