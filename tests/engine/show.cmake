kavro_gtest(show_test ${CMAKE_CURRENT_LIST_DIR}/CbScreenSaverTest.cpp)
kavro_qtest(saver_form_test ${CMAKE_CURRENT_LIST_DIR}/CaSaverFormsTest.cpp)
kavro_qtest(widget_canvas_test ${CMAKE_CURRENT_LIST_DIR}/WidgetCanvasTest.cpp)
# The same at a device pixel ratio of 2: the canvas keeps one pixel per device pixel.
add_test(NAME widget_canvas_test_hidpi COMMAND widget_canvas_test -platform offscreen)
set_tests_properties(widget_canvas_test_hidpi PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2")
