#pragma once
// One "generation" of the settings file for the kill test: many keys that all carry the
// generation number, so a torn or mixed file shows at once.
#include "profile.h"

namespace corvane::test {

inline constexpr int kGenerationKeys = 400;

inline QString generationValue(int generation, int key)
{
    return QStringLiteral("世代%1の値%2・詰め物詰め物詰め物").arg(generation).arg(key);
}

inline void writeGeneration(ProfileTransaction& transaction, int generation)
{
    for (int key = 0; key < kGenerationKeys; ++key)
        transaction.writeString(QStringLiteral("世代"), QStringLiteral("k%1").arg(key),
                                generationValue(generation, key));
    transaction.writeString(QStringLiteral("世代"), QStringLiteral("番号"), QString::number(generation));
}

} // namespace corvane::test
