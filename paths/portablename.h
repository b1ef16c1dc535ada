#pragma once

#include <QString>

namespace quorvane {

// The name a file or folder gets on a disk that travels between computers
// (FAT, exFAT, NTFS), where the other system of such disks cannot open a
// name that holds  " * : < > ? \ |  or a control character, ends in a dot
// or a blank, is a device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to
// LPT9, alone or before a dot), or is longer than 255 characters.
//
// One rule, the look-alikes that sync tools write for the same reason:
//   " * : < > ? \ |   become  ＂ ＊ ： ＜ ＞ ？ ＼ ｜  (fullwidth forms, U+FF02 ...)
//   control characters 1 to 31   become  the control pictures ␁ ... ␟ (U+2401 ...)
//   a dot or blank at the end    becomes  ． (U+FF0E) or the ideographic blank (U+3000)
//   a device name                has its last character in fullwidth form  (CON -> COＮ)
//   a byte that is not UTF-8     becomes  %XX, its value in hex
// A disk driver that takes plain ASCII only (fusefat) gets, for each of
// those characters and for every character beyond ASCII, its UTF-8 bytes as
// %XX instead. A name still too long (255 UTF-16 units or 255 UTF-8 bytes)
// loses the end of the part before its extension. Names that need none of
// this come back unchanged. A clash the rule makes is a clash like any
// other.
//
// name is one component of a drive path (a "\" of a host name as U+F05C,
// bytes that are not UTF-8 as escapes).
enum class NameRule { LookAlikes, Ascii };
QString portableName(const QString &name, NameRule rule = NameRule::LookAlikes);

// The same for every component of a relative drive path ("a\b\c.txt").
QString portablePath(const QString &relative, NameRule rule = NameRule::LookAlikes);

} // namespace quorvane
