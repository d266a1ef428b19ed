#pragma once
// The words of the points window, its dialogs, the rack read and the point writes, in one place so
// the desktop program and the command-line tool say the same thing.
namespace kestrio::points::text {

// Point values.
inline constexpr char kOn[] = "  ON  ";
inline constexpr char kOff[] = "  OFF  ";
inline constexpr char kNan[] = "NAN";

// The module column and the configuration boxes.
inline constexpr char kNoModule[] = "No Module or Digital";  // a slot's box before the first read
inline constexpr char kNoPointConfig[] = "Input or No Point";
inline constexpr char kDigitalSlot[] = "Digital: ";
inline constexpr char kUnknownModule[] = "UNKNOWN:";
inline constexpr char kUnnamedModule[] = "unknown: ";
inline constexpr char kUnknownPointType[] = "unknown type: ";
inline constexpr char kUnknownModuleTitle[] = "Unknown Module:";
inline constexpr char kUnknownModuleLines[] =
    "by the Ethernet brain or Kestrio.\n"
    "\n"
    "You may need updated firmware for the Ethernet brain.\n"
    "Check the kernel version using Options->View Status.\n"
    "Then contact Brantel product support and/or \n"
    "visit the Brantel web site for the latest module list.";

// The window.
inline constexpr char kWindowCaption[] = "Modules and Points";
inline constexpr char kModuleHeading[] = "Module Configuration:";
inline constexpr char kValuesFrame[] = "Point Values:";
inline constexpr char kConfigsFrame[] = "Point Configurations:";
inline constexpr char kAutoFrame[] = "AutoScanning";
inline constexpr char kScanButton[] = "&Scan";
inline constexpr char kAutoButton[] = "&Auto";
inline constexpr char kManualButton[] = "&Manual";
inline constexpr char kScanTimeButton[] = "Scan &Time...";
inline constexpr char kRefreshButton[] = "&Refresh";
inline constexpr char kHelpMenu[] = "&Help";
inline constexpr char kHelpTitle[] = "Help";
inline constexpr char kHelpText[] =
    "The 'Module Configuration' column shows what modules the Tessel Ethernet brain has detected on the "
    "rack.\n"
    "\n"
    "Note that the Tessel Ethernet brain cannot differentiate between an empty slot and a digital module.\n"
    "\n"
    "Point Values/Configurations can be changed by clicking on the point, as long as the status of the "
    "connection is 'Connected.'";

// Reads and scans. The log lines of a label mismatch are followed by a line break.
inline constexpr char kQuarterReadFailed[] = "Point type read not successful, quarter: ";
inline constexpr char kScaleReadFailed[] = "Point scale value read not successful.";
inline constexpr char kScaleConversionFailed[] = "Error: Problem getting scaling values.";
inline constexpr char kAnalogLabelMismatch[] =
    "Transaction Labels don't match - discarding this analog scan.";
inline constexpr char kDigitalLabelMismatch[] =
    "Transaction Labels don't match - discarding this digital scan.";
inline constexpr char kConfigWriteFailed[] = "Point configuration change not successful.";

// Clicks and writes.
inline constexpr char kDigitalInputRefused[] = "Can't write to digital input.";
inline constexpr char kAnalogInputTitle[] = "Analog Input";
inline constexpr char kAnalogInputQuestion[] = "Can't write to an analog input.\nSet offset/gain?";
inline constexpr char kBadFloat[] = "Can't write -- bad float.";
inline constexpr char kPointAboveOne[] = "Can't write to points > 1.";
inline constexpr char kDigitalWriteFailed[] = "Write Digital Point not successful.";
inline constexpr char kAnalogWriteFailed[] = "Write Analog Point not successful.";
inline constexpr char kCalibrationFailed[] = "Write Analog gain/offset not successful.";
// Our own refusal of a point number outside the rack (the command-line tool takes any number).
inline constexpr char kNoSuchPoint[] = "There is no such point; points are 0 to 63.";

// The analog output entry dialog.
inline constexpr char kEntryCaption[] = "Set Analog Output Value";
inline constexpr char kEntryRange[] = "Enter Desired Value: Within range:";
inline constexpr char kEntryConversionFailed[] = "Conversion to float didn't work, enter a different number.";
inline constexpr char kEntryOk[] = "OK";
inline constexpr char kEntryCancel[] = "&Cancel";

// The gain/offset dialog.
inline constexpr char kGainOffsetFrame[] = "Select action:";
inline constexpr char kOffsetOption[] = "OFFSET  (assumes zero-scale is on the input)";
inline constexpr char kGainOption[] = "GAIN (assumes full-scale on input and offset already set)";
inline constexpr char kSetButton[] = "&Set";
inline constexpr char kCancelButton[] = "&Cancel";

}  // namespace kestrio::points::text
