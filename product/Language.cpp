#include "Language.h"

namespace {

const struct {
    const wchar_t* name;
    const wchar_t* englishName;
    LANGID id;
} kLanguages[] = {
    {L"en", L"English", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)},
    {L"de", L"German", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)},
    {L"fr", L"French", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)},
};

LANGID s_Language = 0;  // 0 until picked

// Any variant of a language the programs speak (de-AT, fr-CA ...) gets that language.
LANGID Spoken(LANGID language) {
    for (const auto& spoken : kLanguages) {
        if (PRIMARYLANGID(spoken.id) == PRIMARYLANGID(language)) return spoken.id;
    }
    return kLanguages[0].id;
}

}  // namespace

LANGID LanguageNamed(const std::wstring& name) {
    for (const auto& spoken : kLanguages) {
        if (_wcsicmp(name.c_str(), spoken.name) == 0) return spoken.id;
    }
    return 0;
}

void SelectLanguage(LANGID language) {
    s_Language = Spoken(language ? language : GetUserDefaultUILanguage());
    // Windows' own words (the boxes' buttons, the system's error texts) follow
    // a language asked for, where Windows has it.
    if (language) SetThreadUILanguage(s_Language);
}

LANGID CurrentLanguage() {
    if (!s_Language) SelectLanguage(0);
    return s_Language;
}

const wchar_t* CurrentLanguageName() {
    const LANGID language = CurrentLanguage();
    for (const auto& spoken : kLanguages) {
        if (spoken.id == language) return spoken.englishName;
    }
    return kLanguages[0].englishName;
}

// A string table is made of blocks of 16 texts, each a length and its characters.
std::wstring TextIn(HMODULE module, LANGID language, UINT id) {
    HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* entry = static_cast<const WCHAR*>(loaded ? LockResource(loaded) : nullptr);
    if (!entry) return {};
    const WCHAR* end = entry + SizeofResource(module, found) / sizeof(WCHAR);
    for (UINT index = 0; index < id % 16 && entry < end; ++index) entry += 1 + *entry;
    if (entry >= end || entry + 1 + *entry > end) return {};
    return std::wstring(entry + 1, *entry);
}

namespace {

// The text with this id in `language`, each %1 to %9 replaced by the insert
// that `insert(n)` gives.
template <typename Insert>
std::wstring Compose(LANGID language, UINT id, size_t count, Insert insert) {
    HMODULE self = GetModuleHandleW(nullptr);
    std::wstring text = TextIn(self, language, id);
    // Every language holds every English text (a test sees to it); should one
    // be missing all the same, the user reads the English one, not nothing.
    if (text.empty()) text = TextIn(self, kLanguages[0].id, id);
    std::wstring result;
    for (size_t at = 0; at < text.size(); ++at) {
        const size_t n = at + 1 < text.size() ? size_t(text[at + 1] - L'1') : count;
        if (text[at] == L'%' && n < count) {
            result += insert(n);
            ++at;
        } else {
            result += text[at];
        }
    }
    return result;
}

}  // namespace

LANGID EnglishLanguage() { return kLanguages[0].id; }

std::wstring Text(UINT id, std::initializer_list<std::wstring> inserts) {
    return Compose(CurrentLanguage(), id, inserts.size(),
                   [&](size_t n) -> const std::wstring& { return inserts.begin()[n]; });
}

Words Say(UINT id, std::initializer_list<Words> inserts) {
    return {Compose(CurrentLanguage(), id, inserts.size(),
                    [&](size_t n) -> const std::wstring& { return inserts.begin()[n].shown; }),
            Compose(EnglishLanguage(), id, inserts.size(),
                    [&](size_t n) -> const std::wstring& { return inserts.begin()[n].english; })};
}

Words operator+(const Words& first, const Words& second) {
    return {first.shown + second.shown, first.english + second.english};
}
