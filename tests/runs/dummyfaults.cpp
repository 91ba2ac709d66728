// Faults of libgammu's dummy phone, put in front of libgammu with LD_PRELOAD. Contacts written
// (added, or set to a location the program chose) are counted from 1 in this process:
//   CELLARCHIVE_LOSE_ADD=N         the N-th contact is added, deleted again, and still
//                                  reported as added: a phone that loses what it took;
//   CELLARCHIVE_PULL_AFTER_ADD=N   right after the N-th contact was added, the dummy phone's
//   CELLARCHIVE_PULL_FOLDER=PATH   folder PATH goes away at once: a phone pulled off its cable.
// The libgammu types stay opaque: only the calls pass through.

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using MemoryCall = int (*)(void* machine, void* entry);

MemoryCall next(const char* name)
{
    return reinterpret_cast<MemoryCall>(dlsym(RTLD_NEXT, name));
}

bool isCount(const char* variable, int count)
{
    const char* value = std::getenv(variable);
    return value && std::atoi(value) == count;
}

int written(void* machine, void* entry, MemoryCall write)
{
    static int count = 0;
    static const MemoryCall erase = next("GSM_DeleteMemory");
    const int result = write(machine, entry);
    ++count;
    // The entry now names the memory and location libgammu gave it, as a delete needs them.
    if (isCount("CELLARCHIVE_LOSE_ADD", count))
        erase(machine, entry);
    const char* folder = std::getenv("CELLARCHIVE_PULL_FOLDER");
    if (folder && isCount("CELLARCHIVE_PULL_AFTER_ADD", count))
        std::rename(folder, (std::string(folder) + ".pulled").c_str());
    return result;
}

} // namespace

extern "C" int GSM_AddMemory(void* machine, void* entry)
{
    static const MemoryCall add = next("GSM_AddMemory");
    return written(machine, entry, add);
}

extern "C" int GSM_SetMemory(void* machine, void* entry)
{
    static const MemoryCall set = next("GSM_SetMemory");
    return written(machine, entry, set);
}
