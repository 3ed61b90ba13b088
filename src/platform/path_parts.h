// The text rules of Windows paths: their root, their trailing backslash, splitting them at
// their last delimiter, and comparing them. Only backslash and colon delimit; a forward slash
// does not. Under a double-byte code page a trail byte is never a delimiter, except where a
// function says otherwise. Nothing here looks at the disk.
#pragma once

#include <string>

namespace cdinst {

// True for a path that starts with two backslashes (a network path, "\\server\share\...").
bool IsNetworkPath(const std::string& path);

// True for a path that starts with a drive: any character, then a colon ("C:", "C:FOO").
bool StartsWithDrive(const std::string& path);

// True for a path that names the same place whatever the current directory is: a drive
// letter, colon and backslash ("C:\..."), or a network path.
bool IsFullPath(const std::string& path);

// The drive of `path`, as a directory list enters it: "C:" for a path that starts with a drive,
// "\\server\share" for a network path (up to, not including, the backslash after the share
// name; the whole path when no such backslash follows, even when a server or share name is
// missing), otherwise empty.
std::string DrivePart(const std::string& path);

// The length of "\\server\share\" at the start of `path`, its last backslash included; 0
// unless `path` starts with two backslashes, a server name, a backslash, a share name and a
// backslash. Every backslash byte delimits here, a trail byte's too, as in the destination
// walk, which takes the path apart byte by byte.
size_t ShareRootLength(const std::string& path);

// The position of the first backslash at or after `from`, or npos.
size_t FindBackslash(const std::string& text, size_t from = 0);

// The position just after the last delimiter (0 when there is none).
size_t AfterLastDelimiter(const std::string& path);

// Up to and including the last delimiter; empty when there is none.
// C:\AP\FOO -> C:\AP\   C:\AP\ -> C:\AP\   C:FOO -> C:   FOO -> (empty)
std::string DirectoryPartOf(const std::string& path);

// Everything after the last delimiter; the whole path when there is none.
std::string NamePartOf(const std::string& path);

// True when `path` ends in a backslash.
bool EndsInBackslash(const std::string& path);

// `path` with a backslash appended unless it already ends in one; an empty path stays empty.
std::string WithTrailingBackslash(const std::string& path);

// `path` without the one backslash it ends in, if it does: "C:\" becomes "C:", "\" empty.
std::string WithoutTrailingBackslash(const std::string& path);

// True when `directory` is `upper` or inside it, as their texts show: letter case counts and
// nothing is resolved. "C:\A\B" is at or below "C:\A\B", "C:\A", "C:\A\" and "C:\"; "C:\AB" is
// not below "C:\A".
bool IsAtOrBelow(const std::string& directory, const std::string& upper);

// True when both texts, lowered by the system (CharLowerBuffA), compare equal in the user's
// default locale: the same directory on a volume that ignores letter case. Nothing is
// resolved: "D:\A" and "D:\A\" differ, as do a long name and its short form.
bool SamePathText(const std::string& a, const std::string& b);

// True when a file system takes `a` and `b` for one name: equal byte for byte once every letter
// is lowered (CharLowerBuffA), so "A.TXT" and "a.txt", "É" and "é", but not "ß" and "ss".
bool SameFileName(const std::string& a, const std::string& b);

// True when a Windows path can name a file or directory called `name` (not empty): it holds no
// control character and none of \ / : * ? " < > |, and it does not end in a period, which paths
// drop (a name of periods only stays).
bool IsWindowsName(const std::string& name);

// a..z become A..Z; every other character, accented letters included, stays as it is.
char UpperCaseLetter(char c);

}  // namespace cdinst
