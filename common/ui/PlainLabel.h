#pragma once
// A wrapping label for text that comes from a server or a page (host names,
// realms, certificate problems): shown as text, never as markup.
#include <QLabel>

inline QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setText(text);
    return label;
}
