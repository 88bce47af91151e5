# Tests of the desktop layers.
kavro_qtest(platform_desktop ${CMAKE_CURRENT_LIST_DIR}/DesktopTest.cpp)
