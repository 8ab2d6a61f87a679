#pragma once

// A relative name that can only name something inside the folder it is joined
// to: not empty, not rooted, no drive or stream, no ".." part.
bool IsContainedName(const wchar_t* name);
