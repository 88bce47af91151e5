# These link the drawing services, the effects and the sound player; until all of them are in
# the tree there is nothing to link against.
if(EXISTS ${PROJECT_SOURCE_DIR}/src/toolkit/Picture.cpp
   AND EXISTS ${PROJECT_SOURCE_DIR}/src/toolkit/TextLines.cpp
   AND EXISTS ${PROJECT_SOURCE_DIR}/src/engine/CcTransition.cpp
   AND EXISTS ${PROJECT_SOURCE_DIR}/src/engine/CdSound.cpp)
    kavro_gtest(show_test ${CMAKE_CURRENT_LIST_DIR}/CbScreenSaverTest.cpp)
    kavro_qtest(saver_form_test ${CMAKE_CURRENT_LIST_DIR}/CaSaverFormsTest.cpp)
    kavro_qtest(widget_canvas_test ${CMAKE_CURRENT_LIST_DIR}/WidgetCanvasTest.cpp)
endif()
