// Small text routines shared by the attendance export and the enroll store.
#pragma once
#include <QString>

// Puts "0" in front of Text until it is at least Width characters long.
QString ZeroFill(const QString& Text, int Width);

// Text of exactly Width characters: a longer text is cut to its first Width
// characters, a shorter one gets copies of Fill in front (or behind when
// Right is set) for the missing characters.
QString PadOrCut(const QString& Text, const QString& Fill, int Width, bool Right);
