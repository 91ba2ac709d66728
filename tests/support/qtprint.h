#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <ostream>

// Readable failure messages for Qt values in GoogleTest assertions.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << "{";
    for (qsizetype i = 0; i < list.size(); ++i)
        *os << (i ? ", \"" : "\"") << list.at(i).toStdString() << '"';
    *os << "}";
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << "hex " << bytes.toHex(' ').toStdString();
}

inline void PrintTo(const QJsonObject& json, std::ostream* os)
{
    *os << QJsonDocument(json).toJson(QJsonDocument::Compact).toStdString();
}
