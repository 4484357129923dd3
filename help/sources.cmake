# Sources of the help/ layer: the help texts (core) and the Help Dialog (window).
target_sources(quillet_core PRIVATE
  help/HelpTexts.cpp
)
