target_sources(kavro_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CbScreenSaver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CaScreenSaverMain.cpp
)
# The canvas on windows serves the preview panel and the full-screen window.
target_sources(kavro_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../toolkit/WidgetCanvas.cpp)
target_sources(kavro_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CaSaverForms.cpp)
