// Text and path helpers shared by every part of the program. Pure functions,
// no Windows headers, so the same code runs in the native tests.
// Comparisons that "ignore case" compare the upper-case forms of both sides.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmoria {

std::wstring UpperCase(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
// True when text's last tail.size() characters equal tail, ignoring case;
// a text shorter than tail is compared whole, so it never matches.
bool EndsWithNoCase(std::wstring_view text, std::wstring_view tail);

// Joins a folder and a name with one backslash, unless the folder already
// ends in one (a drive root such as C:\). Only the last character is looked at.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

// The folder part of a file's full path, the way the program names its own
// folder: "C:\Players" for C:\Players\Velmoria.exe, but "C:\" (with its
// backslash) for a file in a drive root.
std::wstring ParentFolder(std::wstring_view filePath);

// The last part of a path, after its last backslash (the whole text when
// it has none): "SPCPLAY.EXE" for C:\P\SPCPLAY.EXE.
std::wstring FileNameOf(std::wstring_view path);

// The first argument after the program's name on a command line: a quoted
// part keeps its spaces; backslashes are taken as they are, since paths hold
// no quotes ("D:\Music\" is the folder D:\Music\). Empty when there is none.
std::wstring FirstArgument(std::wstring_view commandLine);

// Everything after the program's name, as one path: "Open with" entries and
// shortcuts made by hand pass paths with spaces unquoted. Blanks around it
// and quotes around the whole go.
std::wstring ArgumentsTail(std::wstring_view commandLine);

// The texts of a list of NUL-terminated texts ended by an empty one, as
// Windows hands over dropped files, at most `most` of them; a list cut
// short ends where it is cut.
std::vector<std::wstring> SplitNulList(std::wstring_view list, std::size_t most = SIZE_MAX);

// The part of text before its first NUL character.
std::wstring_view StripNulls(std::wstring_view text);

// Text from outside (a tag) with the characters that would reorder, break or
// hide what a list or caption shows (C1 controls, line and paragraph
// separators, zero-width characters, bidirectional overrides and isolates, a
// byte-order mark) made spaces, as control characters are; trailing spaces go.
std::wstring PlainLineText(std::wstring text);

// Text without its trailing spaces; Windows drops them from file names anyway.
std::wstring_view TrimTrailingSpaces(std::wstring_view text);

// Whether Windows takes a file name for a device when it ends a path that
// has no "\\?\" prefix: CON, PRN, AUX, NUL, COM1-9, LPT1-9 and the console's
// names, with any extension and trailing spaces ("COM1.spc", "nul .txt").
bool IsDeviceName(std::wstring_view name);

// Matches a file name against a list of wildcard patterns separated by ";"
// ("*.SPC", "SPCPLAY.EXE;WINSPC.EXE"), ignoring case. "*" stands for any run
// of characters and "?" for exactly one; only the long name is looked at.
bool MatchesFilePattern(std::wstring_view name, std::wstring_view patterns);

// A full path as the file functions take it at any length: paths that reach
// the old 260-character limit get the "\\?\" prefix (UNC paths its
// "\\?\UNC\" form); shorter and relative paths are returned unchanged.
std::wstring ExtendedLengthPath(std::wstring_view path);
// A full path in the "\\?\" form whatever its length, which the file
// functions take as it is: a name such as COM1.spc, CON.spc or NUL.spc is
// then a file, not a device. Relative paths are returned unchanged.
std::wstring VerbatimPath(std::wstring_view path);
// The other way: a path without the "\\?\" prefix, for the user and for
// programs that do not understand it.
std::wstring WithoutExtendedPrefix(std::wstring_view path);

// Type-ahead in a list of names: the first entry, from index `from` on and
// wrapping round, whose name begins with prefix, ignoring case; -1 when none.
// A prefix of one letter typed again and again ("bbb") that no name begins
// with steps through the names beginning with that letter instead, from the
// entry after `from`, as Explorer does.
int FindByPrefix(const std::vector<std::wstring>& names, std::wstring_view prefix, int from);

// A long name in lines of at most width characters, for a tip that would
// otherwise cut it: broken after a space, "-", "_" or "." where one is near
// the line's end, else within the word.
std::wstring WrapLongName(std::wstring_view name, std::size_t width);

// A command-line argument: the text itself, or in double quotes when it holds
// a space and would otherwise split into two arguments.
std::wstring CommandArgument(std::wstring_view text);

}  // namespace velmoria
