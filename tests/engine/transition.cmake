kavro_gtest(CcTransitionTest
    ${CMAKE_CURRENT_LIST_DIR}/CcTransitionTest.cpp)
