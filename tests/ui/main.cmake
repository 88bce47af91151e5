# Tests of the main window and its pieces.
kavro_qtest(ui_wizard_rules ${CMAKE_CURRENT_LIST_DIR}/WizardRulesTest.cpp)
kavro_qtest(ui_picture_list ${CMAKE_CURRENT_LIST_DIR}/PictureListTest.cpp)
kavro_qtest(ui_wizard_controls ${CMAKE_CURRENT_LIST_DIR}/WizardControlsTest.cpp)
kavro_qtest(ui_wizard_dialogs ${CMAKE_CURRENT_LIST_DIR}/QtWizardDialogsTest.cpp)
kavro_qtest(ui_main_window ${CMAKE_CURRENT_LIST_DIR}/MainWindowTest.cpp)
