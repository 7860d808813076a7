#include "playback/MpvHandle.h"

#include <cstring>

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

#include "app/StartupTrace.h"
#include "playback/MpvLibrary.h"

#include <QByteArray>
#include <QMetaObject>
#include <utility>
#include <vector>

namespace {

QVariant FromNode(const mpv_node* node);

QVariant FromData(mpv_format format, void* data) {
    if (!data) return {};
    switch (format) {
        case MPV_FORMAT_FLAG:
            return QVariant(*static_cast<int*>(data) != 0);
        case MPV_FORMAT_INT64:
            return QVariant(static_cast<qlonglong>(*static_cast<int64_t*>(data)));
        case MPV_FORMAT_DOUBLE:
            return QVariant(*static_cast<double*>(data));
        case MPV_FORMAT_STRING:
            return QVariant(QString::fromUtf8(*static_cast<char**>(data)));
        case MPV_FORMAT_NODE:
            return FromNode(static_cast<mpv_node*>(data));
        default:
            return {};
    }
}

QVariant FromNode(const mpv_node* node) {
    switch (node->format) {
        case MPV_FORMAT_FLAG:
            return QVariant(node->u.flag != 0);
        case MPV_FORMAT_INT64:
            return QVariant(static_cast<qlonglong>(node->u.int64));
        case MPV_FORMAT_DOUBLE:
            return QVariant(node->u.double_);
        case MPV_FORMAT_STRING:
            return QVariant(QString::fromUtf8(node->u.string));
        default:
            return {};
    }
}

mpv_format ToMpv(CMpvHandle::Format f) {
    switch (f) {
        case CMpvHandle::Format::Flag:
            return MPV_FORMAT_FLAG;
        case CMpvHandle::Format::Int64:
            return MPV_FORMAT_INT64;
        case CMpvHandle::Format::Double:
            return MPV_FORMAT_DOUBLE;
        case CMpvHandle::Format::String:
            return MPV_FORMAT_STRING;
        case CMpvHandle::Format::Node:
            return MPV_FORMAT_NODE;
    }
    return MPV_FORMAT_NONE;
}

}  // namespace

CMpvHandle::CMpvHandle(const Options& options, QObject* parent) : QObject(parent) {
    const QByteArray ao =
        options.audioOutput.isEmpty() ? QByteArray("auto") : options.audioOutput.toUtf8();
    // The core made while the window was being built, if there is one; otherwise one made now.
    const mpv_library::EarlyCore early = mpv_library::TakeEarly(ao);
    m_mpv = early.handle ? early.handle : mpv_library::CreateInitialised(ao);
    if (!m_mpv) return;
    mpv_set_wakeup_callback(m_mpv, &CMpvHandle::OnWakeup, this);
    OnWakeup(this);  // events that came before the callback was set
    if (early.render) {
        m_render = early.render;
        m_earlyLoad = QString::fromUtf8(early.loadingPath);
        mpv_render_context_set_update_callback(m_render, &CMpvHandle::OnRenderUpdate, this);
        OnRenderUpdate(this);  // a picture that came before the callback was set
    }
}

CMpvHandle::~CMpvHandle() {
    FreeRenderContext();
    if (m_mpv) {
        mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
    }
}

void CMpvHandle::OnWakeup(void* self) {
    auto* h = static_cast<CMpvHandle*>(self);
    if (!h->m_drainPosted.exchange(true))
        QMetaObject::invokeMethod(h, &CMpvHandle::DrainEvents, Qt::QueuedConnection);
}

void CMpvHandle::OnRenderUpdate(void* self) {
    auto* h = static_cast<CMpvHandle*>(self);
    if (!h->m_framePosted.exchange(true))
        QMetaObject::invokeMethod(h, &CMpvHandle::DeliverFrame, Qt::QueuedConnection);
}

void CMpvHandle::DeliverFrame() {
    m_framePosted = false;
    emit FrameReady();
}

void CMpvHandle::Observe(const char* name, Format format) {
    if (m_mpv) mpv_observe_property(m_mpv, 0, name, ToMpv(format));
}

void CMpvHandle::GetAsync(const char* name, Format format, quint64 tag) {
    if (m_mpv) mpv_get_property_async(m_mpv, tag, name, ToMpv(format));
}

void CMpvHandle::Command(const QStringList& args, quint64 tag) {
    if (!m_mpv) return;
    if (!m_earlyLoad.isEmpty()) {
        const bool claims = args == QStringList{"loadfile", m_earlyLoad, "replace"};
        m_earlyLoad.clear();
        OnWakeup(this);  // the start-up load's events, held until now
        if (claims) {
            m_earlyLoadTag = tag;
            return;
        }
    }
    std::vector<QByteArray> utf8;
    utf8.reserve(static_cast<size_t>(args.size()));
    std::vector<const char*> argv;
    for (const QString& a : args) utf8.push_back(a.toUtf8());
    for (const QByteArray& a : utf8) argv.push_back(a.constData());
    argv.push_back(nullptr);
    mpv_command_async(m_mpv, tag, argv.data());
}

void CMpvHandle::StopUnclaimedLoad() {
    if (m_earlyLoad.isEmpty()) return;
    m_earlyLoad.clear();
    OnWakeup(this);
    Command({"stop"});
}

void CMpvHandle::SetProperty(const char* name, const QVariant& value) {
    if (!m_mpv) return;
    switch (value.typeId()) {
        case QMetaType::Bool: {
            int flag = value.toBool() ? 1 : 0;
            mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_FLAG, &flag);
            break;
        }
        case QMetaType::Int:
        case QMetaType::LongLong: {
            int64_t v = value.toLongLong();
            mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_INT64, &v);
            break;
        }
        case QMetaType::Double: {
            double v = value.toDouble();
            mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_DOUBLE, &v);
            break;
        }
        default: {
            const QByteArray s = value.toString().toUtf8();
            const char* p = s.constData();
            mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_STRING, &p);
            break;
        }
    }
}

void CMpvHandle::DrainEvents() {
    m_drainPosted = false;
    // The start-up load's events wait for the command that claims or replaces it: they then
    // reach the player after its own load, in order, as any load's do.
    if (!m_earlyLoad.isEmpty()) return;
    while (m_mpv) {
        mpv_event* ev = mpv_wait_event(m_mpv, 0);
        if (ev->event_id == MPV_EVENT_NONE) break;
        switch (ev->event_id) {
            case MPV_EVENT_PROPERTY_CHANGE: {
                auto* p = static_cast<mpv_event_property*>(ev->data);
                emit PropertyChanged(QString::fromUtf8(p->name), FromData(p->format, p->data));
                break;
            }
            case MPV_EVENT_GET_PROPERTY_REPLY: {
                auto* p = static_cast<mpv_event_property*>(ev->data);
                emit PropertyReply(ev->reply_userdata, QString::fromUtf8(p->name),
                                   ev->error < 0 ? QVariant() : FromData(p->format, p->data));
                break;
            }
            case MPV_EVENT_COMMAND_REPLY: {
                quint64 tag = ev->reply_userdata;
                // The start-up load's answer goes to the command that claimed it, if any.
                if (tag == mpv_library::kEarlyLoadReply) tag = std::exchange(m_earlyLoadTag, 0);
                if (tag == 0) break;
                qint64 entryId = -1;
                const auto* c = static_cast<mpv_event_command*>(ev->data);
                if (ev->error >= 0 && c && c->result.format == MPV_FORMAT_NODE_MAP) {
                    const mpv_node_list* map = c->result.u.list;
                    for (int i = 0; map && i < map->num; ++i) {
                        if (std::strcmp(map->keys[i], "playlist_entry_id") == 0 &&
                            map->values[i].format == MPV_FORMAT_INT64)
                            entryId = map->values[i].u.int64;
                    }
                }
                emit CommandReply(tag, ev->error, entryId);
                break;
            }
            case MPV_EVENT_START_FILE: {
                auto* s = static_cast<mpv_event_start_file*>(ev->data);
                emit StartFile(s ? s->playlist_entry_id : 0);
                break;
            }
            case MPV_EVENT_FILE_LOADED:
                startup_trace::Mark("file loaded");
                emit FileLoaded();
                break;
            case MPV_EVENT_END_FILE: {
                auto* e = static_cast<mpv_event_end_file*>(ev->data);
                emit EndFile(e->reason, e->error, e->playlist_entry_id);
                break;
            }
            case MPV_EVENT_PLAYBACK_RESTART:
                emit PlaybackRestart();
                break;
            case MPV_EVENT_SHUTDOWN:
                return;
            default:
                break;
        }
    }
}

bool CMpvHandle::CreateSoftwareRenderContext() {
    if (!m_mpv) return false;
    if (m_render && !m_renderIsGl) return true;
    FreeRenderContext();
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&m_render, m_mpv, params) < 0) {
        m_render = nullptr;
        return false;
    }
    mpv_render_context_set_update_callback(m_render, &CMpvHandle::OnRenderUpdate, this);
    return true;
}

bool CMpvHandle::FrameUpdatePending() {
    if (!m_render) return false;
    return (mpv_render_context_update(m_render) & MPV_RENDER_UPDATE_FRAME) != 0;
}

bool CMpvHandle::RenderSw(int width, int height, size_t stride, void* pixels) {
    if (!m_render || width <= 0 || height <= 0 || !pixels) return false;
    int size[2] = {width, height};
    char format[] = "bgr0";
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, size},      {MPV_RENDER_PARAM_SW_FORMAT, format},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride}, {MPV_RENDER_PARAM_SW_POINTER, pixels},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    return mpv_render_context_render(m_render, params) >= 0;
}

void CMpvHandle::FreeRenderContext() {
    if (!m_render) return;
    emit RenderContextClosing();
    mpv_render_context_set_update_callback(m_render, nullptr, nullptr);
    mpv_render_context_free(m_render);
    m_render = nullptr;
    m_renderIsGl = false;
}

bool CMpvHandle::CreateGlRenderContext(GetProcAddress getProcAddress, void* glContext,
                                       void* x11Display) {
    if (!m_mpv || !getProcAddress) return false;
    if (m_render && m_renderIsGl) return true;
    // A software one from start-up: its picture would never be shown, and the file it loads
    // would play without one.
    StopUnclaimedLoad();
    FreeRenderContext();
    mpv_opengl_init_params gl{};
    gl.get_proc_address = getProcAddress;
    gl.get_proc_address_ctx = glContext;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        {x11Display ? MPV_RENDER_PARAM_X11_DISPLAY : MPV_RENDER_PARAM_INVALID, x11Display},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&m_render, m_mpv, params) < 0) {
        m_render = nullptr;
        return false;
    }
    m_renderIsGl = true;
    mpv_render_context_set_update_callback(m_render, &CMpvHandle::OnRenderUpdate, this);
    // The GPU decodes where the driver's path is known to be sound; elsewhere mpv decodes itself.
    mpv_set_property_string(m_mpv, "hwdec", "auto-safe");
    return true;
}

bool CMpvHandle::RenderGl(unsigned fbo, int width, int height, bool flipY) {
    if (!m_render || width <= 0 || height <= 0) return false;
    mpv_opengl_fbo target{static_cast<int>(fbo), width, height, 0};
    int flip = flipY ? 1 : 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &target},
        {MPV_RENDER_PARAM_FLIP_Y, &flip},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    return mpv_render_context_render(m_render, params) >= 0;
}

void CMpvHandle::ReportSwap() {
    if (m_render) mpv_render_context_report_swap(m_render);
}
