target_sources(kavro_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Messages.cpp
)
