#include "help/HelpTexts.h"

#include <map>

#include "res/ControlIds.h"

namespace {

// One entry per control that explains itself in help mode.
// The lines are shown verbatim, one per list line, so their wording is kept exactly as
// users have always read it: trailing spaces, double spaces after a full stop, spelling
// and stray full stops included. An empty string is an empty list line.
const std::map<int, std::vector<std::string>>& HelpTable()
{
    static const std::map<int, std::vector<std::string>> table{
        {IDC_HELP, {
            "Click on each control for a description",
            "of its function.",
        }},
        {IDC_CONNECT, {
            "The Connect function will attempt to connect",
            "to a TVR-IOx board that is currently",
            "connected to the host PC. If a TVR-IOx board",
            "is not found using the serial number,",
            "description string or device number in the",
            "Search edit box, an error message will be",
            "displayed. Once a device has been",
            "successfully connected, the firmware version",
            "string is read and the button's text will",
            "change from \"Connect\" to \"Disconnect\"",
            "such that the TVR-IOx board can be released",
            "to run mode after firmware download",
            "",
        }},
        {IDC_SEARCH, {
            "The Search button detects all FT8U245AM",
            "devices connected to the USB bus and lists",
            "each device by either its description string,",
            "serial number or device number.",
            "A dialog window is presented showing all",
            "available devices such that a particular",
            "device can be easily selected for",
            "connection.  If no devices are connected",
            "the selection dialog window will not appear.",
        }},
        {IDC_SERIAL, {
            "The Open by serial number radio selection",
            "will cause the Search function to locate",
            "all attached TVR-IOx boards and present",
            "their serial numbers in the selection",
            "dialog.  This mode assumes that an EEPROM",
            "device is connected to the FT8U245AM and",
            "that a serial number has been written to.",
            "the EEPROM device using the SNSCRIBE",
            "utility.  For more information refer to the",
            "NTR300.PDF guide which is included in the",
            "EEPROM write utility's download zip file.",
            "This utility can be downloaded from the",
            "board maker's web site.",
        }},
        {IDC_DESCRIPTION, {
            "The Open by description radio selection",
            "will cause the Search function to locate",
            "all attached TVR-IOx boards and present",
            "their description strings in the selection",
            "dialog.  This mode assumes that an EEPROM",
            "device is connected to the FT8U245AM and",
            "that a description string has been written to.",
            "the EEPROM device using the SNSCRIBE",
            "utility.  For more information refer to the",
            "NTR300.PDF guide which is included in the",
            "EEPROM write utility's download zip file.",
            "This utility can be downloaded from the",
            "board maker's web site.",
        }},
        {IDC_DEVICE_NUMBER, {
            "The Open by device number radio selection",
            "will cause the Search function to locate",
            "all attached TVR-IOx boards and present",
            "a list of device numbers in the selection",
            "dialog. This mode works without having",
            "an EEPROM device connected to the",
            "FT8U245AM. This mode simply places a",
            "device number in the selection window for",
            "each TVR-IOx board connected -- in no",
            "particlar order. If more than one device is",
            "connected then selection of a particlar",
            "device using this mode is more difficult.",
            "",
        }},
        {IDC_SEARCH_TEXT, {
            "The Search By window contains the serial",
            "number, description string or device",
            "number for the device that will be opened",
            "when the Connect button is clicked.  The",
            "desired device must be connected to the ",
            "host PC or the Connect function will report",
            "an error.  Remember that the device",
            "description strings and serial numbers are",
            "case sensitive.",
            "",
        }},
        {IDC_STATUS, {
            "After an attempt to Connect or Disconnect,",
            "the Status/Version window contains either",
            "the version string that was last written",
            "to the download processor or an error",
            "message if the Connect function fails.",
        }},
        {IDC_16F84A, {
            "This radio button selects program values",
            "appropriate for downloading firmware to",
            "the 16F84A microcontroller.  Upon successful",
            "connection to the TVR-IOA this radio button",
            "will be automatically selected.",
            "",
        }},
        {IDC_16F877, {
            "This radio button selects program values",
            "appropriate for downloading firmware to",
            "the 16F877 microcontroller.  Upon successful",
            "connection to the TVR-IOB this radio button",
            "will be automatically selected.",
            "",
        }},
        {IDC_WRITE_VERSION, {
            "The Write Version function reads the text",
            "in the Firmware Version edit box and sends",
            "it to the download microcontroller for ",
            "storage in EEPROM memory.  The version text",
            "is limited to a maximum of 16 characters.",
            "",
            "",
            "",
        }},
        {IDC_VERSION_TEXT, {
            "The Firmware Version edit box is where the ",
            "user enters the version text string which",
            "will be stored in the EEPROM memory of the ",
            "download microcontroller.",
            "",
        }},
        {IDC_OPEN, {
            "The Open function will prompt the user",
            "to select a HEX file for download to the",
            "target microcontroller.  This function",
            "will verify the checksum for each line",
            "of data in the selected HEX file.  This",
            "function will also set the configuration",
            "options in the GUI if configuration data",
            "is present in the HEX file.",
        }},
        {IDC_HEX_FILE_NAME, {
            "The Firmware HEX edit box shows the",
            "name and location of the currently",
            "selected HEX file.",
            "",
        }},
        {IDC_VIEW, {
            "The View function will launch a dialog",
            "box and display the contents of the",
            "currently selected HEX file.",
            "",
            "",
        }},
        {IDC_BLANK_CHECK, {
            "The Blank Check function will determine",
            "if the target processor is blank and",
            "ready to accept a firmware download.",
            "",
        }},
        {IDC_ERASE, {
            "The Erase function will perform a bulk",
            "erase of the program memory in the target",
            "processor.  This function will work even",
            "if the program memory is code protected.",
        }},
        {IDC_PROGRAM, {
            "The Program function will read the selected",
            "HEX file, verify the checksum for each line",
            "of program data in the HEX file and write ",
            "the HEX data to the program memory of the",
            "target processor.  The Program function will",
            "report an error if the program memory of the",
            "target processor is not blank unless the ",
            "Enable Auto-Erase feature is selected.",
            "The Program function's progress is tracked ",
            "graphically by the progress bar located just",
            "beneath the Program button.",
        }},
        {IDC_VERIFY, {
            "The Verify function will compare the",
            "program memory in the target processor",
            "to the currently selected HEX file.",
            "If they are different, an error will be",
            "reported.  This function also compares ",
            "the target processor's configuration",
            "bits to the current settings in the GUI.",
            "",
        }},
        {IDC_READ, {
            "The Read function will read all Program,",
            "EEPROM and configuration data from the",
            "target processor.  A dialog window is",
            "automatically launched and the data is",
            "displayed.",
            "The Read function's progress is tracked ",
            "graphically by the progress bar located just",
            "beneath the Read button.",
            "",
        }},
        {IDC_WATCHDOG, {
            "Select this configuration option to",
            "enable the Watchdog Timer.",
        }},
        {IDC_POWER_UP_TIMER, {
            "Select this configuration option to",
            "enable the Power-up Timer.",
            "",
        }},
        {IDC_BROWN_OUT, {
            "Select this configuration option to",
            "enable the Brown-out Reset function.",
            "Refer to the microcontroller's",
            "datasheet for more details on this ",
            "feature.",
        }},
        {IDC_PROGRAM_MEM_WRITE, {
            "Select this configuration option to",
            "allow program memory write at run time.",
            "Refer to the microcontroller's",
            "datasheet for more details on this ",
            "feature.",
            "",
        }},
        {IDC_DEBUGGER, {
            "Select this configuration option to",
            "enable In-Circuit Debugging.",
            "Refer to the microcontroller's",
            "datasheet for more details on this ",
            "feature.",
        }},
        {IDC_CP_OFF, {
            "Select this configuration option to",
            "disable Code Protection.",
            "Refer to the microcontroller's",
            "datasheet for more details on this ",
            "feature.",
        }},
        {IDC_CP_ALL, {
            "Select this configuration option to",
            "enable Code Protection for all",
            "program memory.",
            "Refer to the microcontroller's",
            "datasheet for more details on this ",
            "feature.",
        }},
        {IDC_CP_1000, {
            "Select this configuration option to",
            "enable Code Protection for the program",
            "between addresses 1000h and 1FFFh.",
            "Refer to the microcontroller's",
            "datasheet for more details on this ",
            "feature.",
        }},
        {IDC_CP_1F00, {
            "Select this configuration option to",
            "enable Code Protection for the program",
            "between addresses 1F00h and 1FFFh.",
            "Refer to the microcontroller's",
            "datasheet for more details on this ",
            "feature.",
        }},
        {IDC_EEPROM_PROTECT, {
            "Select this configuration option to",
            "enable Write Protection for EEPROM",
            "data.",
            "Refer to the microcontroller's",
            "datasheet for more details on this ",
            "feature.",
        }},
        {IDC_AUTO_ERASE, {
            "Select this feature to enable",
            "the Auto-Erase function. When",
            "enabled, the target micontroller's",
            "Flash memory will be automatically",
            "bulk erased just prior to firmware",
            "download.",
        }},
        {IDC_EXIT, {
            "Program Exit.",
        }},
    };
    return table;
}

} // namespace

const std::vector<std::string>& HelpLines(int controlId)
{
    // Static texts, the progress bar and the revision label have no help: they show nothing.
    static const std::vector<std::string> noHelp;
    const auto& table = HelpTable();
    const auto found = table.find(controlId);
    return found == table.end() ? noHelp : found->second;
}
