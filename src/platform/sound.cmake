target_sources(kavro_core PRIVATE
    SdlAudio.cpp
    SdlMediaControl.cpp
    SdlWavePlayer.cpp
)
