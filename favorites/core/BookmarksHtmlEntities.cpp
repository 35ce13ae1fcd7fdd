// Character references of bookmark titles and addresses, read as HTML reads
// them by Gumbo, which knows every name HTML has.
#include "favorites/core/BookmarksHtml.h"

#include <gumbo.h>

namespace BookmarksHtml {

namespace {
void appendText(const GumboNode *node, QByteArray &out)
{
    if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE) {
        out += node->v.text.text;
    } else if (node->type == GUMBO_NODE_ELEMENT) {
        const GumboVector &children = node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i)
            appendText(static_cast<const GumboNode *>(children.data[i]), out);
    }
}

// HTML's own reading of references, by Gumbo, which knows every name HTML
// has: the text goes in as the inside of a <body>, or as the value of an
// attribute, where a name without its semicolon reads differently. Nothing
// else of the text may change, so a "<" goes in as a reference of its own.
QString decodedByGumbo(QStringView piece, bool attribute)
{
    QByteArray html = piece.toUtf8();
    html.replace('<', "&lt;");
    if (attribute)
        html = "<a href=\"" + html.replace('"', "&quot;") + "\">";
    GumboOptions options = kGumboDefaultOptions;
    options.fragment_context = GUMBO_TAG_BODY;
    options.fragment_namespace = GUMBO_NAMESPACE_HTML;
    GumboOutput *parsed = gumbo_parse_with_options(&options, html.constData(), size_t(html.size()));
    QByteArray decoded;
    if (!attribute) {
        appendText(parsed->root, decoded);
    } else if (const GumboVector &top = parsed->root->v.element.children; top.length > 0) {
        const auto *a = static_cast<const GumboNode *>(top.data[0]);
        if (a->type == GUMBO_NODE_ELEMENT)
            if (const GumboAttribute *href = gumbo_get_attribute(&a->v.element.attributes, "href"))
                decoded = href->value;
    }
    gumbo_destroy_output(&options, parsed);
    return QString::fromUtf8(decoded);
}

// The parser drops NUL characters, which no reference spans: the text goes to
// it one piece at a time between them, and only where a piece holds a "&".
QString decoded(QStringView text, bool attribute)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype from = 0;;) {
        const qsizetype nul = text.indexOf(QChar(0), from);
        const QStringView piece = text.sliced(from, (nul < 0 ? text.size() : nul) - from);
        if (piece.contains(QLatin1Char('&')))
            out += decodedByGumbo(piece, attribute);
        else
            out += piece;
        if (nul < 0)
            return out;
        out += QChar(0);
        from = nul + 1;
    }
}
} // namespace

QString decodeEntities(QStringView text)
{
    return decoded(text, false);
}

QString decodeAttribute(QStringView value)
{
    return decoded(value, true);
}

} // namespace BookmarksHtml
