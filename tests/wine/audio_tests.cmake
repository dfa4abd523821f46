# Recording and playback under Wine with the harness's PulseAudio capture device (fed with
# speech), and a second program that runs with no capture device at all. Wine's wave input
# keeps only 0.1 s of audio and loses the rest when starved of CPU: alone, the real-time
# figures the tests print describe the machine rather than the tests beside them.
voxtrel_add_gtest(wine_audio_test
  SOURCES wine/audio_test.cpp
  LIBRARIES voxtrel_contract_platform
  PROPERTIES RUN_SERIAL TRUE)

# An MP3 for MCI's mpegvideo playback, made with the host's sox and lame; without them the
# MP3 test skips.
find_program(VOXTREL_SOX sox)
find_program(VOXTREL_LAME lame)
if(VOXTREL_SOX AND VOXTREL_LAME)
  set(tone_wav ${CMAKE_CURRENT_BINARY_DIR}/wine_audio_tone.wav)
  set(tone_mp3 ${CMAKE_BINARY_DIR}/bin/wine_audio_tone.mp3)
  add_custom_command(OUTPUT ${tone_mp3}
    COMMAND ${VOXTREL_SOX} -n -r 22050 -c 1 -b 16 ${tone_wav} synth 1.5 sine 440 vol 0.5
    COMMAND ${VOXTREL_LAME} --quiet ${tone_wav} ${tone_mp3}
    VERBATIM)
  add_custom_target(wine_audio_tone DEPENDS ${tone_mp3})
  add_dependencies(wine_audio_test wine_audio_tone)
endif()

# The harness points this program's wine at no sound server.
voxtrel_add_gtest(wine_no_capture_test
  SOURCES wine/no_capture_test.cpp
  LIBRARIES voxtrel_contract_platform
  PROPERTIES ENVIRONMENT VOXTREL_WINE_NO_AUDIO=1)
