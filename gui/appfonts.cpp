#include "appfonts.h"

#include <QApplication>

namespace corvane {

void installFontSubstitutions()
{
    const QStringList proportional = {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
    const QStringList fixed = {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")};
    for (const QString& name : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                                QStringLiteral("MS UI Gothic"), QStringLiteral("ＭＳ ＵＩ ゴシック")})
        QFont::insertSubstitutions(name, proportional);
    for (const QString& name : {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic")})
        QFont::insertSubstitutions(name, fixed);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), {QStringLiteral("IPAPMincho")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), {QStringLiteral("IPAMincho")});
}

QFont uiFont()
{
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPointSize(9);
    return font;
}

void applyUiFont()
{
    installFontSubstitutions();
    QApplication::setFont(uiFont());
}

} // namespace corvane
