kavro_qtest(test_Messages ${CMAKE_CURRENT_LIST_DIR}/MessagesTest.cpp)
