#pragma once
// The option pages' own words, in one place: messages, the page window's captions and headings,
// and the display texts of values that cannot be shown.
namespace kestrio::options::text {

// Value formats.
inline constexpr char kStringTooLongPrefix[] = "Error! String: '";
inline constexpr char kStringTooLongSuffix[] = "' too long.";
inline constexpr char kYesNoPrefix[] = "Error! Data: '";
inline constexpr char kYesNoSuffix[] = "' should be either Yes or No.";
inline constexpr char kIntNot4Bytes[] = "<Int's must be 4 bytes>";
inline constexpr char kFloatNot4Bytes[] = "<Floats's must be 4 bytes>";
inline constexpr char kUnknownType[] = "<unknown type>";
inline constexpr char kYes[] = "Yes";
inline constexpr char kNo[] = "No";

// The page window: "Error on field" + NumberText(row) + "; '" + label + "' not sent."
inline constexpr char kFieldErrorPrefix[] = "Error on field";
inline constexpr char kFieldErrorMiddle[] = "; '";
inline constexpr char kFieldErrorSuffix[] = "' not sent.";
inline constexpr char kStoreComplete[] = "EEPROM Store complete.";
inline constexpr char kStoreFailed[] = "EEPROM Store not successful.";
// Added to the final message when ticked rows were not written: prefix + NumberText(n) + suffix.
inline constexpr char kSkippedPrefix[] = "\nSkipped";
inline constexpr char kSkippedSuffix[] =
    " ticked row(s): read-only, invalid address or not read successfully.";
// The address box of a row whose address is not 12 hex digits: this + the cleaned address.
inline constexpr char kInvalidAddress[] = "<invalid:>";

// The window caption doubles as the column heading; the second while the extra columns show.
inline constexpr char kHeadingValues[] =
    " Option                         Value             Write     Option                         Value "
    "             Write";
inline constexpr char kHeadingMore[] =
    "  Mem Map Address   Format   Access Length    Mem Map Address  Format    Access Length ";
inline constexpr char kRead[] = "&Read";
inline constexpr char kWrite[] = "&Write";
inline constexpr char kSelectAll[] = "&Select All";
inline constexpr char kClearAll[] = "&Clear  Alll";
inline constexpr char kView[] = "&View";
inline constexpr char kClose[] = "&Close";
inline constexpr char kWriteBox[] = "Write";

}  // namespace kestrio::options::text
