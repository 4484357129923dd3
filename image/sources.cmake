# Sources of the image/ layer: processor profiles, the configuration word, the HEX image.
target_sources(quillet_core PRIVATE
  image/ConfigWord.cpp
  image/FirmwareImage.cpp
  image/HexFile.cpp
  image/HexFileWriter.cpp
  image/HexRecord.cpp
  image/HexTextFile.cpp
  image/MemoryListing.cpp
  image/ProcessorProfile.cpp
)
