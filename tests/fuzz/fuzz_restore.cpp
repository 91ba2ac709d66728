#include "programharness.h"

#include <QCoreApplication>
#include <QFile>

#include <cstddef>
#include <cstdint>

// Arbitrary bytes as a backup file, restored by the whole program into a simulated phone held
// in memory. A fresh program and phone per input keep every finding reproducible on its own.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ProgramHarness harness;
    const QString file = harness.path(QStringLiteral("fuzz.MS"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return 0;
    out.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    out.close();
    harness.restore(file);
    return 0;
}
