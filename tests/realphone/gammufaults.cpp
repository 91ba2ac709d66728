// Preloaded in front of libgammu, it makes chosen calls answer chosen errors the way real
// drivers do, over any driver (the dummy phone in the tests). CELLARCHIVE_GAMMU_FAULTS holds
// rules separated by spaces:
//   Call=ERROR     every call answers ERR_ERROR
//   Call#N=ERROR   only the Nth call does; for the GetNext calls counted from the last start,
//                  so "GetNextSMS#3=CORRUPTED" is the third message of every listing
// Call is the libgammu name without "GSM_", ERROR a GSM_Error name without "ERR_". The real
// call is always made first: a failed init leaves the device open as it does for real, and a
// listing goes on past a corrupted entry.
#include <gammu.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace {

GSM_Error ruled(const char* call, int number, GSM_Error real)
{
    const char* rules = getenv("CELLARCHIVE_GAMMU_FAULTS");
    size_t length = strlen(call);
    if (!rules)
        return real;
    for (const char* rule = strstr(rules, call); rule; rule = strstr(rule + 1, call)) {
        if (rule != rules && rule[-1] != ' ')
            continue;
        const char* after = rule + length;
        if (*after == '#') {
            char* end = nullptr;
            long nth = strtol(after + 1, &end, 10);
            if (nth != number)
                continue;
            after = end;
        }
        if (*after != '=')
            continue;
        char name[64] = {};
        size_t n = strcspn(after + 1, " ");
        if (n >= sizeof name)
            continue;
        memcpy(name, after + 1, n);
        for (int error = ERR_NONE; error < ERR_LAST_VALUE; ++error) {
            const char* known = GSM_ErrorName(static_cast<GSM_Error>(error));
            if (known && strcmp(known, name) == 0)
                return static_cast<GSM_Error>(error);
        }
        fprintf(stderr, "gammufaults: unknown error ERR_%s\n", name);
        abort();
    }
    return real;
}

template <class Function> Function* next(const char* name)
{
    void* real = dlsym(RTLD_NEXT, name);
    if (!real) {
        fprintf(stderr, "gammufaults: no %s behind the preload\n", name);
        abort();
    }
    return reinterpret_cast<Function*>(real);
}

} // namespace

extern "C" {

// Calls without a start: counted over the process.
#define PLAIN(Name, Type)                                                                          \
    GSM_Error GSM_##Name(GSM_StateMachine* s, Type* value)                                         \
    {                                                                                              \
        static int calls;                                                                          \
        static GSM_Error (*real)(GSM_StateMachine*, Type*);                                        \
        if (!real)                                                                                 \
            real = next<GSM_Error(GSM_StateMachine*, Type*)>("GSM_" #Name);                        \
        return ruled(#Name, ++calls, real(s, value));                                              \
    }

// GetNext calls: counted from the last start.
#define NEXT(Name, Type)                                                                           \
    GSM_Error GSM_##Name(GSM_StateMachine* s, Type* value, gboolean start)                         \
    {                                                                                              \
        static int calls;                                                                          \
        static GSM_Error (*real)(GSM_StateMachine*, Type*, gboolean);                              \
        if (!real)                                                                                 \
            real = next<GSM_Error(GSM_StateMachine*, Type*, gboolean)>("GSM_" #Name);              \
        calls = start ? 1 : calls + 1;                                                             \
        return ruled(#Name, calls, real(s, value, start));                                         \
    }

NEXT(GetNextMemory, GSM_MemoryEntry)
NEXT(GetNextCalendar, GSM_CalendarEntry)
NEXT(GetNextToDo, GSM_ToDoEntry)
NEXT(GetNextSMS, GSM_MultiSMSMessage)
PLAIN(GetMemory, GSM_MemoryEntry)
PLAIN(GetMemoryStatus, GSM_MemoryStatus)
PLAIN(GetCalendar, GSM_CalendarEntry)
PLAIN(GetCalendarStatus, GSM_CalendarStatus)
PLAIN(GetToDo, GSM_ToDoEntry)
PLAIN(GetToDoStatus, GSM_ToDoStatus)
PLAIN(GetSMS, GSM_MultiSMSMessage)
PLAIN(GetSMSStatus, GSM_SMSMemoryStatus)
PLAIN(GetSMSFolders, GSM_SMSFolders)

GSM_Error GSM_InitConnection(GSM_StateMachine* s, int replies)
{
    static int calls;
    static GSM_Error (*real)(GSM_StateMachine*, int);
    if (!real)
        real = next<GSM_Error(GSM_StateMachine*, int)>("GSM_InitConnection");
    return ruled("InitConnection", ++calls, real(s, replies));
}

} // extern "C"
