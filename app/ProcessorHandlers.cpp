// The processor radios: each selects its processor's options, also in help mode.
#include "app/CDownloadDlg.h"
#include "help/HelpTexts.h"
#include "res/ControlIds.h"

namespace {

// The options only the 16F877 has.
constexpr int kExtendedOptionIds[] = {IDC_BROWN_OUT,      IDC_CP_1000,           IDC_CP_1F00,
                                      IDC_EEPROM_PROTECT, IDC_PROGRAM_MEM_WRITE, IDC_DEBUGGER};

} // namespace

void CDownloadDlg::ApplyProcessorProfile(TargetProcessor processor)
{
    // Only enabling changes: a value set for the 16F877 stays, shown in a disabled control.
    const bool enabled = GetProcessorProfile(processor).hasExtendedOptions;
    for (const int id : kExtendedOptionIds)
        Control(id)->setEnabled(enabled);
}

void CDownloadDlg::On16F84A()
{
    if (helpMode_)
        ShowHelpText(HelpLines(IDC_16F84A));
    ApplyProcessorProfile(TargetProcessor::PIC16F84A);
}

void CDownloadDlg::On16F877()
{
    if (helpMode_)
        ShowHelpText(HelpLines(IDC_16F877));
    ApplyProcessorProfile(TargetProcessor::PIC16F877);
}
