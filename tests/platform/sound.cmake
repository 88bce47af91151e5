kavro_gtest(sdl_sound_test SdlSoundTest.cpp)

# Plays a sound file through the player for a few seconds, for a human to listen to.
add_executable(sound_demo SoundDemo.cpp)
target_link_libraries(sound_demo PRIVATE kavro_core)
target_include_directories(sound_demo PRIVATE ${PROJECT_SOURCE_DIR}/tests)
