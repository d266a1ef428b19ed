#pragma once
// The transfer's own words, in one place: the upload's closing messages and refusals, the download
// window's captions, its categories and the message of a category that could not be read.
#include <array>

namespace kestrio::transfer::text {

// Upload.
inline constexpr char kUploadComplete[] = "Upload Complete.";
// When something went wrong the closing message counts it instead:
// kUploadFinished + "2 records were refused and not sent" + "; " + "1 write failed" + ".".
inline constexpr char kUploadFinished[] = "Upload finished: ";
// A refused record: item + kNotSent + field + " '" + text + kCannotBeWritten.
inline constexpr char kNotSent[] = " not sent: ";
inline constexpr char kCannotBeWritten[] = "' does not fit the brain's field.";

// The upload's seven choices, as the configuration window's check boxes show them.
inline constexpr char kChkName[] = "Name";
inline constexpr char kChkAlarm[] = "Alarm";
inline constexpr char kChkTimer[] = "Timer";
inline constexpr char kChkTimerSooner[] = "Do Timer Sooner (usually works okay)";
inline constexpr char kChkMessage[] = "Message";
inline constexpr char kChkSerEvent[] = "Ser Event";
inline constexpr char kChkTransition[] = "D.E.";

// Download window.
inline constexpr char kProgressCaption[] = "Select Data to Read";
inline constexpr char kProgressLabel[] = "Select which information you would like to read from the brain.";
inline constexpr char kSelectAll[] = "Select All";
inline constexpr char kClearAll[] = "Clear All";
inline constexpr char kStart[] = "&OK";
inline constexpr char kCancel[] = "&Cancel";

// A category that stopped early: kCouldNotRead + category name + kKernelUpgrade.
inline constexpr char kCouldNotRead[] = "Could not read all memory map addresses for: ";
inline constexpr char kKernelUpgrade[] = ".\r\nKernel upgrade required.";

// Names of the items in refusals and in the comparison of a configuration with the brain.
inline constexpr char kPointItem[] = "Point";
inline constexpr char kAlarmItem[] = "Alarm";
inline constexpr char kMessageItem[] = "Message";
inline constexpr char kSerialEventItem[] = "Serial Event";
inline constexpr char kDigitalEventItem[] = "Digital Event";
inline constexpr char kTimerItem[] = "Timer";
// Downloaded sets and messages get these names followed by their number ("Set 0", "Message 5").
inline constexpr char kSetName[] = "Set";
inline constexpr char kMessageName[] = "Message";

}  // namespace kestrio::transfer::text
