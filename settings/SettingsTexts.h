// Every text of the settings file that a user sees or that the file carries, in one place.
#pragma once

namespace settings {

// The file's names.
inline constexpr const char* RootName = "KorvelaxConfig";
inline constexpr const char* FileVersion = "1.0";
inline constexpr const char* FileModel = "quorvane";

// The comments the writer puts before the elements; the reader gives them no meaning.
inline constexpr const char* CommentDeadZone = "Range 0 to 10000 (100.0)";
inline constexpr const char* CommentBreakForce = "Range 0 (100.0) to 10000 (0.0)";
inline constexpr const char* CommentTenths = "Range 0 to 1000 (100.0)";
inline constexpr const char* CommentCalcType =
    "Type: 0 - Linear, 1 - Exponentinal, 2 - Onepoint, 3 - Multipoint";
inline constexpr const char* CommentExponent = "Range -32000 (-32.0) to 32000 (32.0)";
inline constexpr const char* CommentOnePoint = "Range -490 (-49.0) to 490 (49.0)";

// Message boxes of the writer: the prefix, then what went wrong.
inline constexpr const char* SaveXmlErrorText = "XML save error: ";
inline constexpr const char* SaveErrorText = "XML error: ";
// The reader's box for a text that is not a number: this, the text in double quotes,
// " in " and the element's name.
inline constexpr const char* NumericConvertErrorText = "Numeric convert error ";
// The reader's failure for a curve without exactly nine points: this, the count found, and
// ValuesCountNeedText.
inline constexpr const char* ValuesCountErrorText = "Values count error: ";
inline constexpr const char* ValuesCountNeedText = "(but need 9)";

// What the window tells the user when a load is refused before anything was read.
inline constexpr const char* NotSettingsFileText =
    "This file is not a pedal settings file. Nothing was loaded.";
inline constexpr const char* UnsupportedVersionText =
    "This settings file has a version this program does not support. Nothing was loaded.";
inline constexpr const char* OtherModelText =
    "This settings file is for another pedal model. Nothing was loaded.";

}  // namespace settings
