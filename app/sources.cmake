# Sources of the window layer (Qt): the main window, its handlers by subsystem, the dialogs.
target_sources(quillet_gui PRIVATE
  app/CAboutBoxDlg.cpp
  app/CDownloadApp.cpp
  app/CDownloadDlg.cpp
  app/CDownloadDlgLayout.cpp
  app/CHelpDlg.cpp
  app/ClickingAccessibleButton.cpp
  app/CMemoryWindowDlg.cpp
  app/CSplashDlg.cpp
  app/CTargetSelectDlg.cpp
  app/ConnectionHandlers.cpp
  app/DeviceSelectionHandlers.cpp
  app/DriverText.cpp
  app/HelpHandlers.cpp
  app/ImageHandlers.cpp
  app/KeepPainted.cpp
  app/OperationHandlers.cpp
  app/ProgramArguments.cpp
  app/ProcessorHandlers.cpp
  app/QtMessageSink.cpp
  app/SettingsProfile.cpp
  app/WrappingPushButton.cpp
  res/resources.qrc
)
# The system menu's About entry exists on Windows only.
if(WIN32)
  target_sources(quillet_gui PRIVATE app/SystemMenu.cpp)
endif()
