target_sources(kavro_core PRIVATE
    CdSound.cpp
)
