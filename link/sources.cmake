# Sources of the link/ layer: the driver binding and the board protocol.
target_sources(quillet_core PRIVATE
  link/D2xxBinding.cpp
  link/DynamicLibrary.cpp
  link/Pause.cpp
)
