#include "codecinput.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

// Arbitrary bytes as a backup file, through everything that hands its texts to libgammu:
// show, export, and the libgammu store's decoding on restore.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    runCodecInput(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
