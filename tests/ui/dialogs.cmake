kavro_qtest(test_Messages ${CMAKE_CURRENT_LIST_DIR}/MessagesTest.cpp)
kavro_qtest(test_uText ${CMAKE_CURRENT_LIST_DIR}/uTextTest.cpp)
kavro_qtest(test_uTransitions ${CMAKE_CURRENT_LIST_DIR}/uTransitionsTest.cpp)
kavro_qtest(test_uDescription ${CMAKE_CURRENT_LIST_DIR}/uDescriptionTest.cpp)
kavro_qtest(test_uAbout ${CMAKE_CURRENT_LIST_DIR}/uAboutTest.cpp)

# Not a test: shows one dialog for scripts/dialog-screenshots.
add_executable(kavro_dialog_shots ${CMAKE_CURRENT_LIST_DIR}/DialogShots.cpp)
target_link_libraries(kavro_dialog_shots PRIVATE kavro_ui)
