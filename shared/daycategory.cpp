#include "daycategory.h"

namespace corvane {

QString categoryCaption(int category)
{
    static const std::array<const char16_t*, kCategoryCount> captions = {u"毎日",   u"平日",   u"指定日", u"月曜日",
                                                                         u"火曜日", u"水曜日", u"木曜日", u"金曜日",
                                                                         u"土曜日", u"日曜日", u"祝日"};
    if (category < 0 || category >= kCategoryCount)
        return {};
    return QString::fromUtf16(captions[size_t(category)]);
}

QString entryKey(int category, int number)
{
    return QString::number(category) + QLatin1Char('-') + QString::number(number);
}

} // namespace corvane
