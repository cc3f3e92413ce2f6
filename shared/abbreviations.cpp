#include "abbreviations.h"

namespace corvane {

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
