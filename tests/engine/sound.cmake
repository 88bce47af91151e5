kavro_gtest(cd_sound_test CdSoundTest.cpp)
