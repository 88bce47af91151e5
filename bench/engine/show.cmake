# These link the drawing services, the effects and the sound player; until all of them are in
# the tree there is nothing to link against.
if(EXISTS ${PROJECT_SOURCE_DIR}/src/toolkit/Picture.cpp
   AND EXISTS ${PROJECT_SOURCE_DIR}/src/toolkit/QtTimer.cpp
   AND EXISTS ${PROJECT_SOURCE_DIR}/src/engine/CcTransition.cpp
   AND EXISTS ${PROJECT_SOURCE_DIR}/src/platform/SdlMediaControl.cpp)
    add_executable(show_bench ${CMAKE_CURRENT_LIST_DIR}/ShowBench.cpp)
    target_link_libraries(show_bench PRIVATE kavro_core benchmark::benchmark)
    target_include_directories(show_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)

    # A real show full screen, for looking at it: show_demo <folder of pictures> [seconds] [sound].
    add_executable(show_demo ${CMAKE_CURRENT_LIST_DIR}/ShowDemo.cpp)
    target_link_libraries(show_demo PRIVATE kavro_core)
endif()
