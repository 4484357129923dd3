# Sources of the link/ layer: the driver binding and the board protocol.
target_sources(quillet_core PRIVATE
  link/BoardLink.cpp
  link/Connection.cpp
  link/D2xxBinding.cpp
  link/DeviceSelection.cpp
  link/DriverLocations.cpp
  link/DynamicLibrary.cpp
  link/NibbleFraming.cpp
  link/Pause.cpp
)
