target_sources(kavro_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DialogParts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MemoText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Messages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/uAbout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/uDescription.cpp
    ${CMAKE_CURRENT_LIST_DIR}/uText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/uTransitions.cpp
)
