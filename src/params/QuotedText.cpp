#include "params/QuotedText.h"

namespace zuvo {

namespace {

QString hex(uint value, int width) {
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
}

QString escaped(const QString& text, bool quoted) {
    const QStringView shown = QStringView(text).left(QuotedTextLength);
    QString out;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QChar c = shown[i];
        // A pair of surrogates is one character; it prints when that character does.
        if (c.isHighSurrogate() && i + 1 < shown.size() && shown[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, shown[i + 1]);
            if (QChar::isPrint(code)) {
                out += c;
                out += shown[i + 1];
            } else {
                out += QStringLiteral("\\U") + hex(code, 8);
            }
            ++i;
            continue;
        }
        const ushort u = c.unicode();
        if (c == QLatin1Char('\\')) {
            out += QStringLiteral("\\\\");
        } else if (quoted && c == QLatin1Char('"')) {
            out += QStringLiteral("\\\"");
        } else if (c == QLatin1Char('\t')) {
            out += QStringLiteral("\\t");
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\\n");
        } else if (c == QLatin1Char('\r')) {
            out += QStringLiteral("\\r");
        } else if (u < 0x20 || (u >= 0x7F && u < 0xA0)) {
            out += QStringLiteral("\\x") + hex(u, 2);
        } else if (!c.isPrint() || c.isSurrogate()) {
            out += QStringLiteral("\\u") + hex(u, 4);
        } else {
            out += c;
        }
    }
    return out;
}

QString cutMark(const QString& text) {
    return text.size() > QuotedTextLength ? QStringLiteral("...") : QString();
}

} // namespace

QString printableText(const QString& text) {
    return escaped(text, false) + cutMark(text);
}

QString quotedText(const QString& text) {
    return QLatin1Char('"') + escaped(text, true) + QLatin1Char('"') + cutMark(text);
}

} // namespace zuvo
