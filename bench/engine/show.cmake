add_executable(show_bench ${CMAKE_CURRENT_LIST_DIR}/ShowBench.cpp)
target_link_libraries(show_bench PRIVATE kavro_core benchmark::benchmark)
target_include_directories(show_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)

# A real show full screen, for looking at it: show_demo <folder of pictures> [seconds] [sound].
add_executable(show_demo ${CMAKE_CURRENT_LIST_DIR}/ShowDemo.cpp)
target_link_libraries(show_demo PRIVATE kavro_core)
