# Session tests of the simulated Outlook. Every tests/outlook/sessions/NAME.session is one CTest
# test, outlook.NAME: run-session.sh plays it with `outlook-sim NAME.session --trace` and compares
# everything printed (standard output, then standard error, then "exit N" when the status is not
# 0) with NAME.expected beside it; any difference fails the test and is shown as a diff. Files a
# session attaches lie in sessions/files/. To add a session, write NAME.session, run
#   UPDATE=1 bash tests/outlook/run-session.sh build/E-native/bin/outlook-sim NAME.session
# read the NAME.expected it writes line by line, and commit both (re-run cmake to pick it up).
if(TARGET outlook-sim AND NOT WIN32)
  file(GLOB sessions CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/sessions/*.session)
  foreach(session ${sessions})
    get_filename_component(name ${session} NAME_WE)
    add_test(NAME outlook.${name}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run-session.sh $<TARGET_FILE:outlook-sim>
                     ${session})
  endforeach()
endif()
# Every session again with each event handed to its subscribers last subscribed first: the
# add-in may not depend on the order in which Outlook hands one event to two handlers.
if(TARGET outlook-sim AND NOT WIN32)
  add_test(NAME outlook.sessions_reverse_events
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run-sessions-reverse.sh $<TARGET_FILE:outlook-sim>
                   ${CMAKE_CURRENT_LIST_DIR}/sessions)
endif()
# The monkey: random sessions chosen from what the windows show (monkey.cpp). The sanitizer
# build (preset native-asan) plays thousands of them; every native build plays a few hundred.
if(TARGET outlook-sim AND NOT WIN32)
  add_executable(monkey ${CMAKE_CURRENT_LIST_DIR}/monkey.cpp)
  target_link_libraries(monkey PRIVATE voxtrel_sim_native_outlook voxtrel_warnings)
  target_compile_definitions(monkey PRIVATE VOXTREL_SESSIONS="${CMAKE_CURRENT_LIST_DIR}/sessions")
  set(VOXTREL_MONKEY_SESSIONS 300 CACHE STRING "Random sessions the monkey test plays")
  add_test(NAME outlook.monkey COMMAND monkey ${VOXTREL_MONKEY_SESSIONS})
  set_tests_properties(outlook.monkey PROPERTIES TIMEOUT 1200)
endif()
# The fault sweep (fault_sweep.cpp): every session once per call into Outlook, that call
# answering Nothing or failing. The sanitizer build runs it in the test run (scripts/test-all.sh).
if(TARGET outlook-sim AND NOT WIN32)
  add_executable(fault_sweep ${CMAKE_CURRENT_LIST_DIR}/fault_sweep.cpp)
  target_link_libraries(fault_sweep PRIVATE voxtrel_sim_native_outlook voxtrel_warnings)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/sessions_wine.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/screenshots/screenshots.cmake)
