target_sources(kavro_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CcTransition.cpp)
