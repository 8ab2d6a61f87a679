#pragma once
// Message routing: each class owns one static table of entries; dispatch walks
// the class's table, then its base class's, and calls the first match.
#include <windows.h>

#include <cstddef>

class CCmdTarget;

using MessageHandler = LRESULT (CCmdTarget::*)(WPARAM, LPARAM);

// Added to a message number for the copy of a parent's message that is offered
// back to the child control that caused it (WM_CTLCOLORSTATIC, WM_COMMAND).
// Message numbers stay below 0x10000, so the bit never collides.
inline constexpr UINT kReflect = 0x10000;

struct MessageEntry {
    UINT message;  // WM_xxx, possibly kReflect | WM_xxx
    UINT code;     // notification code (WM_COMMAND only)
    UINT id;       // control or command id (WM_COMMAND only); 0 matches any
    MessageHandler handler;
};

struct MessageMap {
    const MessageMap* base;
    const MessageEntry* entries;
    size_t count;
};

// Entry builders, so a table reads as a list and handlers stay ordinary members.
template <class T>
constexpr MessageEntry OnMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return {message, 0, 0, static_cast<MessageHandler>(handler)};
}
template <class T>
constexpr MessageEntry OnCommand(UINT code, UINT id, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return {WM_COMMAND, code, id, static_cast<MessageHandler>(handler)};
}
template <class T>
constexpr MessageEntry OnReflected(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return {kReflect | message, 0, 0, static_cast<MessageHandler>(handler)};
}
template <class T>
constexpr MessageEntry OnReflectedCommand(UINT code, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return {kReflect | WM_COMMAND, code, 0, static_cast<MessageHandler>(handler)};
}

template <size_t N>
constexpr MessageMap MakeMessageMap(const MessageMap* base, const MessageEntry (&entries)[N]) {
    return {base, entries, N};
}

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Each class that routes messages overrides this and returns its own table,
    // whose base is the direct base class's table (a qualified, non-virtual call).
    virtual const MessageMap* GetMessageMap() const;

    // Finds the first matching entry, most derived table first; true if one ran.
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
};
