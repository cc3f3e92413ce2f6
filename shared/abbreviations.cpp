#include "abbreviations.h"

namespace corvane {

QString abbreviationKey(int slot) { return QStringLiteral("略称") + QString::number(slot); }
QString abbreviationTextKey(int slot) { return QStringLiteral("内容") + QString::number(slot); }

QString Abbreviations::expand(const QString& text) const
{
    QString result = text;
    for (size_t k = 0; k < size_t(kAbbreviationSlots); ++k) {
        if (shortForms[k] == result)
            result = fullTexts[k];
    }
    return result;
}

} // namespace corvane
