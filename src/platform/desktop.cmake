# The desktop's screen-saver flag and file manager.
target_sources(kavro_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DesktopFileBrowser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SessionSaverFlag.cpp
)
