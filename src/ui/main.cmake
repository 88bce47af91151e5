# The main window and the pieces it is made of.
target_sources(kavro_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/BaFunction.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Glyphs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PictureList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtWizardDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UpDown.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WizardLook.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WizardRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/uMain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/uMainLayout.cpp
)
