#include "CmdTarget.h"

const MessageMap* CCmdTarget::GetMessageMap() const {
    static const MessageMap map = {nullptr, nullptr, 0};
    return &map;
}

static bool Matches(const MessageEntry& entry, UINT message, WPARAM wParam) {
    if (entry.message != message) return false;
    if ((message & ~kReflect) != WM_COMMAND) return true;
    return entry.code == HIWORD(wParam) && (entry.id == 0 || entry.id == LOWORD(wParam));
}

bool CCmdTarget::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (size_t i = 0; i < map->count; ++i) {
            const MessageEntry& entry = map->entries[i];
            if (Matches(entry, message, wParam)) {
                result = (this->*entry.handler)(wParam, lParam);
                return true;
            }
        }
    }
    return false;
}
