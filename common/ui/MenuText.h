#pragma once
// A text from a page or a file (a title, an address) as a menu item shows
// it: an "&" is no mnemonic and a tab no shortcut column, and a very long
// one is cut short.
#include <QString>

inline QString asMenuText(QString text)
{
    constexpr int longest = 120;
    if (text.size() > longest)
        text = text.left(longest - 1) + QChar(0x2026);
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return text;
}
