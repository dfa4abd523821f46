# Pictures of the simulated Outlook under Wine (take-screenshots.sh): a compose window before,
# while and after recording, the options dialog, a received voice message; on Outlook 16.x the
# Ribbon's group in a compose window and beside a reply in the reading pane; they are left in
# screenshots/ of the build.
if(WIN32 AND TARGET outlook-sim AND TARGET voxtrel)
  add_test(NAME outlook.screenshots_wine
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/take-screenshots.sh $<TARGET_FILE:outlook-sim>
                   ${CMAKE_BINARY_DIR}/screenshots)
  set_tests_properties(outlook.screenshots_wine PROPERTIES
    FIXTURES_REQUIRED voxtrel_com RESOURCE_LOCK "addin_folder;clipboard" TIMEOUT 300)
endif()
