// A phone that takes a contact and loses it, for libgammu's dummy phone: put in front of
// libgammu with LD_PRELOAD, it lets libgammu add the contact numbered CELLARCHIVE_LOSE_ADD
// (counted from 1 in this process), deletes it again and still answers that it was added.
// The libgammu types stay opaque: only the two calls pass through.

#include <dlfcn.h>

#include <cstdlib>

namespace {

using MemoryCall = int (*)(void* machine, void* entry);

MemoryCall next(const char* name)
{
    return reinterpret_cast<MemoryCall>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int GSM_AddMemory(void* machine, void* entry)
{
    static int added = 0;
    static const MemoryCall add = next("GSM_AddMemory");
    static const MemoryCall erase = next("GSM_DeleteMemory");
    const char* lose = std::getenv("CELLARCHIVE_LOSE_ADD");
    const int result = add(machine, entry);
    // The entry now names the memory and location libgammu gave it, as a delete needs them.
    if (lose && ++added == std::atoi(lose))
        erase(machine, entry);
    return result;
}
