# Sources of the image/ layer: processor profiles, the configuration word, the HEX image.
target_sources(quillet_core PRIVATE
  image/ConfigWord.cpp
  image/ProcessorProfile.cpp
)
