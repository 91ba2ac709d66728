#pragma once

#include <QString>

#include <optional>
#include <type_traits>

// Reading and writing the element lines of a section: "<Key value=VALUE/>", indented by three
// spaces per nesting level.
namespace elements {

// The number a value text starts with, blanks ignored: the longest leading part made of a
// sign, digits, a fraction and an exponent. A text that does not start with a number reads 0.
double leadingNumber(const QString& text);

// The leading number rounded halves to even; empty when it does not fit the field.
std::optional<qint16> valueToInt16(const QString& text);
std::optional<qint32> valueToInt32(const QString& text);

// "   <Key value=VALUE/>" at the given level; numbers in plain decimal.
QString elementLine(int indent, const QString& key, const QString& value);
template <typename T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
QString elementLine(int indent, const QString& key, T value)
{
    return elementLine(indent, key, QString::number(static_cast<qint64>(value)));
}
// Booleans are written as words: use boolText.
QString elementLine(int indent, const QString& key, bool value) = delete;
QString boolText(bool value);

// The parts of an element line: the key after the first "<" up to the first space after it,
// and the value after the first "value=" up to the first "/>" after that. A part that is not
// there is empty, and its flag says so.
struct ElementParts
{
    QString key;
    QString value;
    bool hasKey = false;
    bool hasValueMark = false;
    bool hasValueEnd = false;
};
ElementParts splitElementLine(const QString& line);

// "<Name>" and its closing form "<Name/>".
QString openTag(const QString& name, int indent = 0);
QString closeTag(const QString& name, int indent = 0);

} // namespace elements
