#include "model/airspacetypes.h"

#include <iterator>

namespace {

struct ClassWord {
    int airspaceClass;
    const char16_t *word;
    bool namedByType;   // OpenAir version 2 names it by AY with the same word
};

// "UNC" (unclassified, with the real kind in AY) is known but has no word of its own in
// the kaf file.
constexpr ClassWord Classes[] = {
    {Restricted, u"R", true},   {Danger, u"Q", true},         {Prohibited, u"P", true},
    {ClassA, u"A", false},      {ClassB, u"B", false},        {ClassC, u"C", false},
    {ClassD, u"D", false},      {GliderProhibited, u"GP", false}, {CTR, u"CTR", true},
    {WaveWindow, u"W", false},  {Special, u"UNC", false},
};

// Bit n of the type flags is Types[n].
constexpr const char16_t *Types[] = {
    u"D", u"AWY", u"FIZ", u"CTR", u"TMA", u"R", u"TSA", u"VZ",
    u"FLF", u"HPO", u"GG", u"HI", u"SZ", u"BB", u"W",
};

const ClassWord *findClass(QStringView word)
{
    for (const ClassWord &entry : Classes) {
        if (word == QStringView(entry.word))
            return &entry;
    }
    return nullptr;
}

} // namespace

bool airspaceClassFromWord(QStringView word, int &airspaceClass)
{
    const ClassWord *entry = findClass(word);
    airspaceClass = entry ? entry->airspaceClass : Special;
    return entry != nullptr;
}

bool airspaceClassFromType(QStringView type, int &airspaceClass)
{
    const ClassWord *entry = findClass(type);
    if (!entry || !entry->namedByType)
        return false;
    airspaceClass = entry->airspaceClass;
    return true;
}

QString airspaceClassWord(int airspaceClass)
{
    for (const ClassWord &entry : Classes) {
        if (entry.airspaceClass == airspaceClass && airspaceClass != Special)
            return QString::fromUtf16(entry.word);
    }
    return QStringLiteral("R");   // Special and unknown values count as restricted
}

int airspaceTypeFlag(QStringView text)
{
    for (int bit = 0; bit < int(std::size(Types)); ++bit) {
        if (text == QStringView(Types[bit]))
            return 1 << bit;
    }
    return 0;
}

QString airspaceTypeText(int typeFlags)
{
    for (int bit = 0; bit < int(std::size(Types)); ++bit) {
        if (typeFlags == 1 << bit)
            return QString::fromUtf16(Types[bit]);
    }
    return QString();   // none, or several types at once
}
