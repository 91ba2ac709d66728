#pragma once

#include "golden.h"
#include "programharness.h"

// The category tests' files live under tests/data/categories.
inline QString goldenPath(const QString& relative)
{
    return testDataPath(QStringLiteral("categories/") + relative);
}

inline void expectGolden(const QByteArray& actual, const QString& name)
{
    expectGoldenFile(actual, QStringLiteral("categories/") + name);
}
