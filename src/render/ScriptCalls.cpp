#include "render/ScriptCalls.h"

#include <cstring>
#include <type_traits>
#include <utility>

#include "driver/Driver.h"

namespace arvel {

namespace {

constexpr int kMaxScriptArguments = 6;

template <typename F>
struct Signature;

template <typename R, typename... P>
struct Signature<R (*)(P...)> {
    static constexpr bool numeric =
        sizeof...(P) <= kMaxScriptArguments && (std::is_arithmetic_v<P> && ...);
    static constexpr bool query = std::is_same_v<R, bool> && sizeof...(P) == 0;
    static constexpr bool toggle = std::is_void_v<R> && sizeof...(P) == 0;

    template <size_t... I>
    static void call(void* function, const int* arguments, std::index_sequence<I...>) {
        reinterpret_cast<R (*)(P...)>(function)(static_cast<P>(arguments[I])...);
    }
    static void invoke(void* function, const int* arguments) {
        call(function, arguments, std::index_sequence_for<P...>{});
    }
};

struct Entry {
    const char* name;
    ScriptInvoker invoke;
    bool query;
    bool toggle;
};

template <typename F>
constexpr Entry entry(const char* name) {
    using S = Signature<F>;
    if constexpr (S::numeric)
        return {name, &S::invoke, S::query, S::toggle};
    else
        return {name, nullptr, S::query, S::toggle};
}

#define ARVEL_SCRIPT_ENTRY(ret, name, params, args) entry<ret(*) params>(#name),
constexpr Entry kEntries[] = {ARVEL_DRIVER_FUNCTIONS(ARVEL_SCRIPT_ENTRY)
                                  ARVEL_DRIVER_UNBOUND(ARVEL_SCRIPT_ENTRY)};
#undef ARVEL_SCRIPT_ENTRY

// Export names are exact: case matters, as it does to the dynamic loader.
const Entry* find(const char* name) {
    if (!name) return nullptr;
    for (const Entry& e : kEntries)
        if (std::strcmp(e.name, name) == 0) return &e;
    return nullptr;
}

}  // namespace

ScriptInvoker scriptInvoker(const char* name) {
    const Entry* e = find(name);
    return e ? e->invoke : nullptr;
}

bool isFeatureQuery(const char* name) {
    const Entry* e = find(name);
    return e && e->query;
}

bool isFeatureSwitch(const char* name) {
    const Entry* e = find(name);
    return e && e->toggle;
}

}  // namespace arvel
