#include "VeskKit/Foundation/TypedJson.h"

#include <QLocale>
#include <QVariantList>

#include <cmath>

namespace vesk::json {

namespace {

void writeString(QByteArray& out, const QString& text) {
    out += '"';
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += QByteArray::number(byte, 16).rightJustified(2, '0');
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void writeDouble(QByteArray& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    QByteArray text = QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    if (!text.contains('.') && !text.contains('e')) text += ".0";
    out += text;
}

void writeIndent(QByteArray& out, int depth) {
    out += QByteArray(depth * 4, ' ');
}

void writeValue(QByteArray& out, const QVariant& value, int depth);

void writeObject(QByteArray& out, const QVariantMap& object, int depth) {
    if (object.isEmpty()) {
        out += "{}";
        return;
    }
    out += "{\n";
    for (auto it = object.begin(); it != object.end(); ++it) {
        writeIndent(out, depth + 1);
        writeString(out, it.key());
        out += ": ";
        writeValue(out, it.value(), depth + 1);
        out += std::next(it) == object.end() ? "\n" : ",\n";
    }
    writeIndent(out, depth);
    out += '}';
}

void writeArray(QByteArray& out, const QVariantList& array, int depth) {
    if (array.isEmpty()) {
        out += "[]";
        return;
    }
    out += "[\n";
    for (qsizetype i = 0; i < array.size(); ++i) {
        writeIndent(out, depth + 1);
        writeValue(out, array.at(i), depth + 1);
        out += i + 1 == array.size() ? "\n" : ",\n";
    }
    writeIndent(out, depth);
    out += ']';
}

void writeValue(QByteArray& out, const QVariant& value, int depth) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        out += value.toBool() ? "true" : "false";
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        out += QByteArray::number(value.toLongLong());
        break;
    case QMetaType::ULongLong:
        out += QByteArray::number(value.toULongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        writeDouble(out, value.toDouble());
        break;
    case QMetaType::QString:
        writeString(out, value.toString());
        break;
    case QMetaType::QStringList: {
        QVariantList list;
        for (const QString& s : value.toStringList())
            list.append(s);
        writeArray(out, list, depth);
        break;
    }
    case QMetaType::QVariantList:
        writeArray(out, value.toList(), depth);
        break;
    case QMetaType::QVariantMap:
        writeObject(out, value.toMap(), depth);
        break;
    default:
        out += "null";
    }
}

// A recursive-descent reader over the UTF-8 text. Nesting is bounded so that a hostile
// file cannot exhaust the stack.
class Parser {
public:
    explicit Parser(const QByteArray& text) : m_text(text) {}

    std::optional<QVariantMap> document() {
        skipSpace();
        if (!peek('{')) return fail("the document is not an object");
        QVariant value;
        if (!parseValue(value, 0)) return std::nullopt;
        skipSpace();
        if (m_pos != m_text.size()) return fail("text after the object");
        QVariantMap object = value.toMap();
        for (auto it = object.begin(); it != object.end();) {
            if (it->isValid())
                ++it;
            else
                it = object.erase(it);
        }
        return object;
    }

    const QString& error() const { return m_error; }
    // The top-level object's members read whole before the error, each confirmed by the
    // ',' or '}' after it (a number cut short reads as a smaller number).
    const QVariantMap& complete() const { return m_complete; }

private:
    static constexpr int maxDepth = 256;

    std::nullopt_t fail(const char* what) {
        if (m_error.isEmpty()) m_error = QStringLiteral("%1 at byte %2").arg(QLatin1String(what)).arg(m_pos);
        return std::nullopt;
    }

    bool failed(const char* what) {
        fail(what);
        return false;
    }

    bool peek(char c) const { return m_pos < m_text.size() && m_text.at(m_pos) == c; }

    void skipSpace() {
        while (m_pos < m_text.size()) {
            const char c = m_text.at(m_pos);
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r') break;
            ++m_pos;
        }
    }

    bool literal(const char* word) {
        const qsizetype length = qstrlen(word);
        if (m_text.mid(m_pos, length) != word) return failed("unknown literal");
        m_pos += length;
        return true;
    }

    bool parseValue(QVariant& out, int depth) {
        if (depth > maxDepth) return failed("nesting too deep");
        skipSpace();
        if (m_pos >= m_text.size()) return failed("unexpected end");
        switch (m_text.at(m_pos)) {
        case '{':
            return parseObject(out, depth);
        case '[':
            return parseArray(out, depth);
        case '"': {
            QString text;
            if (!parseString(text)) return false;
            out = text;
            return true;
        }
        case 't':
            out = true;
            return literal("true");
        case 'f':
            out = false;
            return literal("false");
        case 'n':
            out = QVariant();
            return literal("null");
        default:
            return parseNumber(out);
        }
    }

    bool parseObject(QVariant& out, int depth) {
        ++m_pos; // '{'
        QVariantMap object;
        skipSpace();
        if (peek('}')) {
            ++m_pos;
            out = object;
            return true;
        }
        while (true) {
            skipSpace();
            if (!peek('"')) return failed("expected a member name");
            QString key;
            if (!parseString(key)) return false;
            skipSpace();
            if (!peek(':')) return failed("expected ':'");
            ++m_pos;
            QVariant value;
            if (!parseValue(value, depth + 1)) return false;
            object.insert(key, value);
            skipSpace();
            if (depth == 0 && (peek(',') || peek('}')) && value.isValid()) m_complete.insert(key, value);
            if (peek(',')) {
                ++m_pos;
                continue;
            }
            if (peek('}')) {
                ++m_pos;
                out = object;
                return true;
            }
            return failed("expected ',' or '}'");
        }
    }

    bool parseArray(QVariant& out, int depth) {
        ++m_pos; // '['
        QVariantList array;
        skipSpace();
        if (peek(']')) {
            ++m_pos;
            out = array;
            return true;
        }
        while (true) {
            QVariant value;
            if (!parseValue(value, depth + 1)) return false;
            array.append(value);
            skipSpace();
            if (peek(',')) {
                ++m_pos;
                continue;
            }
            if (peek(']')) {
                ++m_pos;
                out = array;
                return true;
            }
            return failed("expected ',' or ']'");
        }
    }

    bool hex4(char32_t& out) {
        if (m_pos + 4 > m_text.size()) return failed("short \\u escape");
        bool ok = false;
        out = m_text.mid(m_pos, 4).toUInt(&ok, 16);
        if (!ok) return failed("bad \\u escape");
        m_pos += 4;
        return true;
    }

    bool parseString(QString& out) {
        ++m_pos; // '"'
        QByteArray utf8;
        while (true) {
            if (m_pos >= m_text.size()) return failed("unterminated string");
            const char c = m_text.at(m_pos++);
            if (c == '"') break;
            if (static_cast<unsigned char>(c) < 0x20) return failed("control character in string");
            if (c != '\\') {
                utf8 += c;
                continue;
            }
            if (m_pos >= m_text.size()) return failed("unterminated escape");
            const char e = m_text.at(m_pos++);
            switch (e) {
            case '"':
            case '\\':
            case '/':
                utf8 += e;
                break;
            case 'b':
                utf8 += '\b';
                break;
            case 'f':
                utf8 += '\f';
                break;
            case 'n':
                utf8 += '\n';
                break;
            case 'r':
                utf8 += '\r';
                break;
            case 't':
                utf8 += '\t';
                break;
            case 'u': {
                char32_t unit = 0;
                if (!hex4(unit)) return false;
                if (QChar::isHighSurrogate(unit) && m_text.mid(m_pos, 2) == "\\u") {
                    const qsizetype mark = m_pos;
                    m_pos += 2;
                    char32_t low = 0;
                    if (!hex4(low)) return false;
                    if (QChar::isLowSurrogate(low))
                        unit = QChar::surrogateToUcs4(char16_t(unit), char16_t(low));
                    else
                        m_pos = mark;
                }
                // A lone surrogate cannot be encoded; it reads as the replacement character.
                if (QChar::isSurrogate(unit)) unit = QChar::ReplacementCharacter;
                utf8 += QString::fromUcs4(&unit, 1).toUtf8();
                break;
            }
            default:
                return failed("unknown escape");
            }
        }
        out = QString::fromUtf8(utf8);
        return true;
    }

    bool digits() {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text.at(m_pos) >= '0' && m_text.at(m_pos) <= '9')
            ++m_pos;
        return m_pos > start;
    }

    bool parseNumber(QVariant& out) {
        const qsizetype start = m_pos;
        if (peek('-')) ++m_pos;
        if (peek('0'))
            ++m_pos;
        else if (!digits())
            return failed("unexpected character");
        bool isDouble = false;
        if (peek('.')) {
            ++m_pos;
            if (!digits()) return failed("expected digits after '.'");
            isDouble = true;
        }
        if (peek('e') || peek('E')) {
            ++m_pos;
            if (peek('+') || peek('-')) ++m_pos;
            if (!digits()) return failed("expected exponent digits");
            isDouble = true;
        }
        const QByteArray text = m_text.mid(start, m_pos - start);
        if (!isDouble) {
            bool ok = false;
            const qint64 integer = text.toLongLong(&ok);
            if (ok) {
                out = QVariant::fromValue<qint64>(integer);
                return true;
            }
        }
        // The grammar is checked above; what remains is range, and out of range reads as
        // infinity or zero like any JSON reader.
        out = text.toDouble();
        return true;
    }

    const QByteArray& m_text;
    qsizetype m_pos = 0;
    QString m_error;
    QVariantMap m_complete;
};

} // namespace

QByteArray writeTyped(const QVariantMap& object) {
    QByteArray out;
    writeObject(out, object, 0);
    out += '\n';
    return out;
}

std::optional<QVariantMap> readTyped(const QByteArray& text, QString* error) {
    Parser parser(text);
    auto object = parser.document();
    if (!object && error) *error = parser.error();
    return object;
}

QVariantMap readTypedMembers(const QByteArray& text) {
    Parser parser(text);
    if (auto object = parser.document()) return *object;
    return parser.complete();
}

} // namespace vesk::json
