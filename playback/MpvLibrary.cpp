#include "playback/MpvLibrary.h"

#include <dlfcn.h>
#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/stream_cb.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "app/StartupTrace.h"

namespace mpv_library {
namespace {

// Options of the embedded player: no configuration, scripts, OSD or key bindings of its own, the
// last frame kept at the end of a file, the core kept alive without a file.
const char* const kOptions[][2] = {
    {"vo", "libmpv"},
    {"config", "no"},
    {"load-scripts", "no"},
    {"ytdl", "no"},
    {"osc", "no"},
    {"load-stats-overlay", "no"},
    {"load-osd-console", "no"},
    {"load-auto-profiles", "no"},
    {"sub-auto", "no"},
    {"sid", "no"},
    {"osd-level", "0"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"keep-open", "yes"},
    {"video-timing-offset", "0"},
    {"idle", "yes"},
};

// Each library looks its symbols up among its own dependencies before the application's (Qt's)
// libraries, which it never uses: that skips most of the symbol search that dominates loading.
// The sanitizers' runtimes must interpose everything, so not there (they end the process at such
// a load); gcc and clang tell of them in different ways.
#if defined(__has_feature)
#define VELMORA_HAS_FEATURE(x) __has_feature(x)
#else
#define VELMORA_HAS_FEATURE(x) 0
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) ||                   \
    VELMORA_HAS_FEATURE(address_sanitizer) || VELMORA_HAS_FEATURE(thread_sanitizer) || \
    VELMORA_HAS_FEATURE(memory_sanitizer)
constexpr int kBindLocalFirst = 0;
#else
constexpr int kBindLocalFirst = RTLD_DEEPBIND;
#endif

// The libraries libmpv brings, dependencies first, as the build machine's loader found them.
const char* const kDependencies[] = {
#include "MpvDependencies.inc"
    nullptr};

// The library of the client API major version these headers describe; loaded once, by whichever
// thread asks first (the others wait for it).
void* Library() {
    static void* const library = [] {
        startup_trace::Mark("libmpv loading");
        // First its libraries, one by one and dependencies first: each then binds its symbols
        // among its own few dependencies instead of searching all two hundred of libmpv's, which
        // takes a third less time, and the loader's lock is free in between for the GUI thread
        // (starting a thread or loading a plugin waits for it). Names missing here are skipped;
        // libmpv's own load brings whatever is left. The handles stay open: libmpv holds these
        // libraries for the life of the process anyway.
        for (const char* const* name = kDependencies; *name; ++name)
            if (!dlopen(*name, RTLD_LAZY | RTLD_LOCAL | kBindLocalFirst)) dlerror();
        const std::string soname = "libmpv.so." + std::to_string(MPV_CLIENT_API_VERSION >> 16);
        // Only by that name: the unversioned libmpv.so, where present, then belongs to another
        // major version, whose functions and structures differ from these headers'.
        void* h = dlopen(soname.c_str(), RTLD_LAZY | RTLD_LOCAL | kBindLocalFirst);
        // Without it the player cannot start: say why, for whoever started it from a terminal.
        if (!h) std::fprintf(stderr, "Velmora: libmpv is not usable: %s\n", dlerror());
        startup_trace::Mark("libmpv loaded");
        return h;
    }();
    return library;
}

void* Symbol(const char* name) {
    void* library = Library();
    return library ? dlsym(library, name) : nullptr;
}

struct Early {
    std::mutex mutex;
    std::thread thread;
    QByteArray audioOutput;
    EarlyCore core;
};

void Free(EarlyCore& core) {
    if (core.render) mpv_render_context_free(core.render);
    if (core.handle) mpv_terminate_destroy(core.handle);
    core = EarlyCore{};
}

// The render context the video output will need, and the load, paused: the picture is decoded
// and ready to show, and nothing plays before the player has set its volume and taken over.
void StartLoading(EarlyCore& core, const QByteArray& path) {
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&core.render, core.handle, params) < 0) {
        core.render = nullptr;
        return;
    }
    const char* args[] = {"loadfile", path.constData(), "replace", nullptr};
    if (mpv_command_async(core.handle, kEarlyLoadReply, args) >= 0) {
        core.loadingPath = path;
        startup_trace::Mark("early load sent");
    }
}

Early& early() {
    static Early e;
    return e;
}

}  // namespace

mpv_handle* CreateInitialised(const QByteArray& audioOutput, bool startPaused) {
    mpv_handle* mpv = mpv_create();
    if (!mpv) return nullptr;
    for (const auto& opt : kOptions) mpv_set_option_string(mpv, opt[0], opt[1]);
    if (startPaused) mpv_set_option_string(mpv, "pause", "yes");
    mpv_set_option_string(mpv, "ao", audioOutput.isEmpty() ? "auto" : audioOutput.constData());
    if (mpv_initialize(mpv) < 0) {
        mpv_terminate_destroy(mpv);
        return nullptr;
    }
    startup_trace::Mark("mpv initialised");
    return mpv;
}

EarlyStart::EarlyStart(const QByteArray& audioOutput, const QByteArray& openPath) {
    Early& e = early();
    const std::lock_guard lock(e.mutex);
    if (e.thread.joinable()) return;
    e.audioOutput = audioOutput;
    e.thread = std::thread([&e, audioOutput, openPath] {
        EarlyCore core;
        core.handle = CreateInitialised(audioOutput, !openPath.isEmpty());
        if (core.handle && !openPath.isEmpty()) StartLoading(core, openPath);
        const std::lock_guard lock(e.mutex);
        e.core = core;
    });
}

EarlyStart::~EarlyStart() {
    Early& e = early();
    if (e.thread.joinable()) e.thread.join();
    const std::lock_guard lock(e.mutex);
    Free(e.core);
}

EarlyCore TakeEarly(const QByteArray& audioOutput) {
    Early& e = early();
    if (!e.thread.joinable()) return {};
    e.thread.join();
    const std::lock_guard lock(e.mutex);
    EarlyCore core = std::exchange(e.core, EarlyCore{});
    if (core.handle && e.audioOutput != audioOutput) Free(core);
    return core;
}

}  // namespace mpv_library

// The API, forwarded to the loaded library. A function the library lacks answers as a missing
// library would: null, an error code, zero or nothing.
#define FORWARD(ret, name, params, args, fallback)                                            \
    extern "C" ret name params {                                                              \
        static const auto fn = reinterpret_cast<decltype(&name)>(mpv_library::Symbol(#name)); \
        if (!fn) return fallback;                                                             \
        return fn args;                                                                       \
    }

FORWARD(unsigned long, mpv_client_api_version, (), (), 0)
FORWARD(const char*, mpv_error_string, (int error), (error), nullptr)
FORWARD(void, mpv_free, (void* data), (data), )
FORWARD(const char*, mpv_client_name, (mpv_handle * ctx), (ctx), nullptr)
FORWARD(int64_t, mpv_client_id, (mpv_handle * ctx), (ctx), 0)
FORWARD(mpv_handle*, mpv_create, (), (), nullptr)
FORWARD(int, mpv_initialize, (mpv_handle * ctx), (ctx), MPV_ERROR_UNINITIALIZED)
FORWARD(void, mpv_destroy, (mpv_handle * ctx), (ctx), )
FORWARD(void, mpv_terminate_destroy, (mpv_handle * ctx), (ctx), )
FORWARD(mpv_handle*, mpv_create_client, (mpv_handle * ctx, const char* name), (ctx, name), nullptr)
FORWARD(mpv_handle*, mpv_create_weak_client, (mpv_handle * ctx, const char* name), (ctx, name),
        nullptr)
FORWARD(int, mpv_load_config_file, (mpv_handle * ctx, const char* filename), (ctx, filename),
        MPV_ERROR_UNINITIALIZED)
FORWARD(int64_t, mpv_get_time_us, (mpv_handle * ctx), (ctx), 0)
FORWARD(void, mpv_free_node_contents, (mpv_node * node), (node), )
FORWARD(int, mpv_set_option, (mpv_handle * ctx, const char* name, mpv_format format, void* data),
        (ctx, name, format, data), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_set_option_string, (mpv_handle * ctx, const char* name, const char* data),
        (ctx, name, data), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_command, (mpv_handle * ctx, const char** args), (ctx, args),
        MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_command_node, (mpv_handle * ctx, mpv_node* args, mpv_node* result),
        (ctx, args, result), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_command_ret, (mpv_handle * ctx, const char** args, mpv_node* result),
        (ctx, args, result), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_command_string, (mpv_handle * ctx, const char* args), (ctx, args),
        MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_command_async, (mpv_handle * ctx, uint64_t reply_userdata, const char** args),
        (ctx, reply_userdata, args), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_command_node_async, (mpv_handle * ctx, uint64_t reply_userdata, mpv_node* args),
        (ctx, reply_userdata, args), MPV_ERROR_UNINITIALIZED)
FORWARD(void, mpv_abort_async_command, (mpv_handle * ctx, uint64_t reply_userdata),
        (ctx, reply_userdata), )
FORWARD(int, mpv_set_property, (mpv_handle * ctx, const char* name, mpv_format format, void* data),
        (ctx, name, format, data), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_set_property_string, (mpv_handle * ctx, const char* name, const char* data),
        (ctx, name, data), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_set_property_async,
        (mpv_handle * ctx, uint64_t reply_userdata, const char* name, mpv_format format,
         void* data),
        (ctx, reply_userdata, name, format, data), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_get_property, (mpv_handle * ctx, const char* name, mpv_format format, void* data),
        (ctx, name, format, data), MPV_ERROR_UNINITIALIZED)
FORWARD(char*, mpv_get_property_string, (mpv_handle * ctx, const char* name), (ctx, name), nullptr)
FORWARD(char*, mpv_get_property_osd_string, (mpv_handle * ctx, const char* name), (ctx, name),
        nullptr)
FORWARD(int, mpv_get_property_async,
        (mpv_handle * ctx, uint64_t reply_userdata, const char* name, mpv_format format),
        (ctx, reply_userdata, name, format), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_observe_property,
        (mpv_handle * mpv, uint64_t reply_userdata, const char* name, mpv_format format),
        (mpv, reply_userdata, name, format), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_unobserve_property, (mpv_handle * mpv, uint64_t registered_reply_userdata),
        (mpv, registered_reply_userdata), MPV_ERROR_UNINITIALIZED)
FORWARD(const char*, mpv_event_name, (mpv_event_id event), (event), nullptr)
FORWARD(int, mpv_event_to_node, (mpv_node * dst, mpv_event* src), (dst, src),
        MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_request_event, (mpv_handle * ctx, mpv_event_id event, int enable),
        (ctx, event, enable), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_request_log_messages, (mpv_handle * ctx, const char* min_level), (ctx, min_level),
        MPV_ERROR_UNINITIALIZED)
FORWARD(mpv_event*, mpv_wait_event, (mpv_handle * ctx, double timeout), (ctx, timeout), nullptr)
FORWARD(void, mpv_wakeup, (mpv_handle * ctx), (ctx), )
FORWARD(void, mpv_set_wakeup_callback, (mpv_handle * ctx, void (*cb)(void* d), void* d),
        (ctx, cb, d), )
FORWARD(void, mpv_wait_async_requests, (mpv_handle * ctx), (ctx), )
FORWARD(int, mpv_hook_add,
        (mpv_handle * ctx, uint64_t reply_userdata, const char* name, int priority),
        (ctx, reply_userdata, name, priority), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_hook_continue, (mpv_handle * ctx, uint64_t id), (ctx, id), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_get_wakeup_pipe, (mpv_handle * ctx), (ctx), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_render_context_create,
        (mpv_render_context * *res, mpv_handle* mpv, mpv_render_param* params), (res, mpv, params),
        MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_render_context_set_parameter, (mpv_render_context * ctx, mpv_render_param param),
        (ctx, param), MPV_ERROR_UNINITIALIZED)
FORWARD(int, mpv_render_context_get_info, (mpv_render_context * ctx, mpv_render_param param),
        (ctx, param), MPV_ERROR_UNINITIALIZED)
FORWARD(void, mpv_render_context_set_update_callback,
        (mpv_render_context * ctx, mpv_render_update_fn callback, void* callback_ctx),
        (ctx, callback, callback_ctx), )
FORWARD(uint64_t, mpv_render_context_update, (mpv_render_context * ctx), (ctx), 0)
FORWARD(int, mpv_render_context_render, (mpv_render_context * ctx, mpv_render_param* params),
        (ctx, params), MPV_ERROR_UNINITIALIZED)
FORWARD(void, mpv_render_context_report_swap, (mpv_render_context * ctx), (ctx), )
FORWARD(void, mpv_render_context_free, (mpv_render_context * ctx), (ctx), )
FORWARD(int, mpv_stream_cb_add_ro,
        (mpv_handle * ctx, const char* protocol, void* user_data, mpv_stream_cb_open_ro_fn open_fn),
        (ctx, protocol, user_data, open_fn), MPV_ERROR_UNINITIALIZED)
