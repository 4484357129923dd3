#pragma once
// The context-help texts of the main window's controls, as data. The Help Dialog shows them;
// the texts themselves need no window, so they live in the core and are tested there.
#include <string>
#include <vector>

// The lines the Help Dialog shows for a control, in order; empty for a control without help text.
const std::vector<std::string>& HelpLines(int controlId);
