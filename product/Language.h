#pragma once
// The language both programs speak: English, German or French, as Vantrelle
// does. It is picked once, as a run begins: the /lang switch, else the user's
// display language (any German variant gives German, any French one French,
// anything else English). Every text a person reads comes from the string
// table and the dialog template of that language, asked for by its id.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "resources/Texts.h"

// The language /lang=NAME names ("en", "de" or "fr", in either case); 0 for any other.
LANGID LanguageNamed(const std::wstring& name);
// From now on, the program speaks `language` (one LanguageNamed gives); 0:
// the user's display language.
void SelectLanguage(LANGID language);
// The language the program speaks.
LANGID CurrentLanguage();
// Its name in English, for the log: "English", "German" or "French".
const wchar_t* CurrentLanguageName();
// The text with this id in the language the program speaks, each %1 to %9 in
// it replaced by that insert.
std::wstring Text(UINT id, std::initializer_list<std::wstring> inserts = {});
// The same text in `language`, from `module`'s string table; empty when it
// has none there.
std::wstring TextIn(HMODULE module, LANGID language, UINT id);

// Words as the user reads them, and the same in English: the log is for
// support, which reads English. A path or a name is the same in both.
struct Words {
    Words() = default;
    Words(std::wstring same) : shown(same), english(std::move(same)) {}
    Words(const wchar_t* same) : Words(std::wstring(same)) {}
    Words(std::wstring inLanguage, std::wstring inEnglish)
        : shown(std::move(inLanguage)), english(std::move(inEnglish)) {}
    std::wstring shown;
    std::wstring english;
};
Words operator+(const Words& first, const Words& second);
// The text with this id as Text() gives it, and in English, each with its inserts.
Words Say(UINT id, std::initializer_list<Words> inserts = {});
// English, whatever the program speaks.
LANGID EnglishLanguage();
