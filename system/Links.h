#pragma once
// Ordinary users may write in some folders of an installation, and there they
// can turn a folder into a link (a junction needs no privilege) that sends an
// administrator's writes, deletes and permission changes to another place. The
// installer goes through no link below its install directory; the install
// directory and the folders above it are the administrators' own and are
// followed as they are.
#include <cstddef>
#include <string>

// What the user reads after the path of a link the installer does not go through.
extern const wchar_t kLinkRefusedText[];

// A link is a folder that is a reparse point (a junction, a symbolic link, a
// mount point) or a file that is a symbolic link (a name-surrogate tag); other
// reparse files, deduplicated ones say, are ordinary files.

// The length of the leading part of `path` that is the first link on the way
// down from `base` (a directory ending in a backslash that `path` starts with)
// to `path` itself, or 0 when there is none. The walk stops at the first part
// that does not exist: nothing below it does either.
size_t LinkOnPath(const wchar_t* base, const wchar_t* path);

// The first link in `folder` or anywhere below it, `folder` itself included;
// empty when there is none. Nothing below a link is looked at.
std::wstring FindLinkInTree(const std::wstring& folder);
