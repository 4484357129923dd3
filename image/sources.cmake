# Sources of the image/ layer: processor profiles, the configuration word, the HEX image.
target_sources(quillet_core PRIVATE
  image/ConfigWord.cpp
  image/FirmwareImage.cpp
  image/HexFile.cpp
  image/HexFileWriter.cpp
  image/HexRecord.cpp
  image/MemoryListing.cpp
  image/ProcessorProfile.cpp
)
# Reading a HEX file refuses pipes and devices; that test is the system's own.
if(WIN32)
  target_sources(quillet_core PRIVATE image/HexTextFileWin32.cpp)
else()
  target_sources(quillet_core PRIVATE image/HexTextFile.cpp)
endif()
