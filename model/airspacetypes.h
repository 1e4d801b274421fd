#pragma once

#include "model/geopoint.h"

#include <QString>
#include <QStringView>

// The words of airspace classes and types, shared by the reader and the writer: a class
// is read from the word after AC and written as that same word, a type from the AT text
// and written as that text.

// The class named by an AC word (compared exactly; "UNC" is Special); false and Special
// for any other word.
bool airspaceClassFromWord(QStringView word, int &airspaceClass);

// The class named by an OpenAir version 2 AY type ("R", "Q", "P", "CTR"); false for
// any other type, which leaves the class as it is.
bool airspaceClassFromType(QStringView type, int &airspaceClass);

// The word of a class in the kaf file; Special and unknown values are written as "R".
QString airspaceClassWord(int airspaceClass);

// The single-bit type flag of an AT text (already upper case); 0 for any other text.
int airspaceTypeFlag(QStringView text);

// The text of a single type flag; empty for 0 and for several flags at once.
QString airspaceTypeText(int typeFlags);
